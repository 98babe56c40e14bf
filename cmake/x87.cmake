# The 486's instructions and the x87 unit, nothing later: no Pentium or Pentium Pro instruction
# (cmov, fcomi and the like fault on a Pentium, a K6 or a 486), no MMX or SSE (processors before
# the Pentium III have none, and Windows 95, 98 first edition and NT 4.0 do not save its state).
# Doubles still round exactly as on every other build: each program sets the unit's precision
# control to 53 bits before anything computes (platform/arithmetic.h), and the saver again before
# every frame, so + - * / round as IEEE doubles.
set(X87_FLAGS "-march=i486 -mfpmath=387")
