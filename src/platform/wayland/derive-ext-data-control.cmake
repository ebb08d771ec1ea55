# Writes ext-data-control-v1.xml from wlr-data-control-unstable-v1.xml: the same requests,
# events and arguments under the ext_ names, every interface at version 1 with the primary
# selection part of it. cmake -DIN=wlr.xml -DOUT=ext.xml -P derive-ext-data-control.cmake
file(READ ${IN} xml)
string(REPLACE "wlr_data_control_unstable_v1" "ext_data_control_v1" xml "${xml}")
string(REPLACE "zwlr_data_control_" "ext_data_control_" xml "${xml}")
string(REPLACE "wlr_data_control_" "ext_data_control_" xml "${xml}")
string(REPLACE " version=\"2\"" " version=\"1\"" xml "${xml}")
string(REPLACE " since=\"2\"" "" xml "${xml}")
file(WRITE ${OUT} "${xml}")
