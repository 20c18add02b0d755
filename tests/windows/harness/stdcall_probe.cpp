#include "stdcall_probe.h"

#if defined(__i386__)
/* Pushes args[count-1] .. args[0], calls function, stores EAX in *result
 * and returns how far ESP moved up during the call.  EBX keeps the stack
 * pointer from before the call; EBX, ESI, EDI and EBP are preserved across
 * any Windows function. */
asm(R"(
    .text
    .globl _StackBytesPopped
_StackBytesPopped:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  %esp, %ebx
    call  *8(%ebp)
    movl  20(%ebp), %ecx
    movl  %eax, (%ecx)
    movl  %esp, %eax
    subl  %ebx, %eax
    leal  -8(%ebp), %esp
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");
#endif
