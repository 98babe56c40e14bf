# The x87 unit, never SSE: i686 processors before the Pentium III have none, and Windows 95, 98
# first edition and NT 4.0 do not save its state. Doubles still round exactly as on every other
# build: each program sets the unit's precision control to 53 bits before anything computes
# (platform/x87/double_precision.cpp), so + - * / round as IEEE doubles.
set(X87_FLAGS "-march=i486 -mfpmath=387")
