# Writes the page as served: page.html with the plotting library's script and
# style written into it in place of the lines "<!-- plot style -->" and
# "<!-- plot script -->", so that the page is one file that needs nothing
# else (its content security policy allows inline scripts and styles only).
#   cmake -DINPUT=page.html -DSCRIPT=uPlot.iife.min.js -DSTYLE=uPlot.min.css
#         -DOUTPUT=page_full.html -P assemble_page.cmake
file(READ ${INPUT} page)
file(READ ${SCRIPT} script)
file(READ ${STYLE} style)
string(FIND "${script}" "</" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds \"</\", which would end its script element")
endif()
string(REPLACE "<!-- plot style -->" "<style>\n${style}\n</style>" page "${page}")
string(REPLACE "<!-- plot script -->" "<script>\n${script}\n</script>" page "${page}")
file(WRITE ${OUTPUT}.tmp "${page}")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
