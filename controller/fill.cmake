# The display RAM view and the fill dialog: their models in the core, their
# windows (with the GUI) in ravx_gui.
target_sources(ravx_core PRIVATE controller/MOZU_model.cpp controller/ZGfill_model.cpp)

if(TARGET ravx_gui)
  target_sources(ravx_gui PRIVATE controller/MOZU.cpp controller/MOZU.h controller/ZGfill.cpp controller/ZGfill.h)
endif()
