# Which folder of src/ may include which: each folder names the folders right
# below it, and may reach everything below those. vektrano_library() links the
# same folders, so a folder that includes one not reachable from here finds no
# such header; tools/check-layers.cmake reads this table too, so a new folder is
# one line here. Only window may include Qt.
set(VEKTRANO_LAYERS
    "state:"
    "geometry:"
    "preview:geometry"
    "dxf:state geometry"
    "expand:dxf"
    "script:dxf"
    "board:expand script"
    "run:board"
    "cli:run preview"
    "window:run preview"
)
set(VEKTRANO_QT_FOLDERS window)
