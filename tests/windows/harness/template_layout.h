/* Comparing a live dialog with the template it was created from: the
 * template's dialog units go through MapDialogRect on the live window, so
 * the check holds for whatever font metrics the system has. */
#ifndef TESTS_WINDOWS_HARNESS_TEMPLATE_LAYOUT_H
#define TESTS_WINDOWS_HARNESS_TEMPLATE_LAYOUT_H

#include "dialog_template.h"

#include <string>
#include <vector>

/* One line per difference in client size, control count, control order,
 * class, ID or position; empty when the dialog matches. */
std::vector<std::string> LayoutMismatches(HWND dialog, const DialogTemplate &t);

#endif
