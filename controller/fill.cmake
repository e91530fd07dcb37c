# The display RAM view and the fill dialog: their models in the core, their
# windows (with the GUI) in ravx_gui.
target_sources(ravx_core PRIVATE controller/MOZU_model.cpp controller/ZGfill_model.cpp)
