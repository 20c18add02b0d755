# cmake -DPAGE_DIR=DIR -DMODULE=web_host.js -DOUT=PAGE.html -DVERSION=V -P assemble_page.cmake
#
# The page as one file: page.html with page.css, its script (jobs.js,
# file_reader.js, wav_disk.js, then page.js) and the worker's script
# (worker.js, file_feed.js and wav_disk.js, then the module's script with
# the WebAssembly inside) put in where it says so.
# Nothing of the build (paths, times) goes in.
cmake_minimum_required(VERSION 3.25)

file(READ "${PAGE_DIR}/page.html" page)
file(READ "${PAGE_DIR}/page.css" style)
file(READ "${PAGE_DIR}/wav_disk.js" disk)
file(READ "${PAGE_DIR}/jobs.js" jobs)
file(READ "${PAGE_DIR}/file_reader.js" file_reader)
file(READ "${PAGE_DIR}/page.js" page_script)
set(script "${jobs}\n${file_reader}\n${disk}\n${page_script}")
file(READ "${PAGE_DIR}/worker.js" worker)
file(READ "${PAGE_DIR}/file_feed.js" feed)
string(APPEND worker "\n${feed}\n${disk}")
file(READ "${MODULE}" module)
string(APPEND worker "\n${module}")

foreach(part style script worker)
  string(TOLOWER "${${part}}" lower)
  if(lower MATCHES "</script|<!--|</style")
    message(FATAL_ERROR "the ${part} text holds a sequence that would end its element early")
  endif()
endforeach()

string(REPLACE "@PAGE_STYLE@" "${style}" page "${page}")
string(REPLACE "@PAGE_SCRIPT@" "${script}" page "${page}")
string(REPLACE "@WORKER_SCRIPT@" "${worker}" page "${page}")
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
file(WRITE "${OUT}.tmp" "${page}")
file(RENAME "${OUT}.tmp" "${OUT}")
