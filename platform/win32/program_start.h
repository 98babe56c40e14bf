#pragma once

// The start of a program that carries no C run-time (the screen saver: it needs nothing but the
// system's own DLLs, so Windows 95 without a C run-time DLL runs it, and no prebuilt library
// brings instructions its processors lack). Its entry calls this before its own code.

// Runs the static constructors in the order MinGW's start-up code runs them: by priority, then
// the plain ones.
void RunStaticConstructors();
