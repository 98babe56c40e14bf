#pragma once

// Binding a window procedure to an object: Windows calls window procedures with a window
// handle only, and the routed window needs its object. A binding is a procedure that calls
// `entry` with the bound object in place of the window handle and the other arguments as they
// came.

#include "platform/api.h"

using BoundProcedure = LRESULT(CALLBACK*)(void* object, UINT message, WPARAM wParam,
                                          LPARAM lParam);

class ProcedureBinding {
  public:
    ProcedureBinding() = default;
    ~ProcedureBinding();
    ProcedureBinding(const ProcedureBinding&) = delete;
    ProcedureBinding& operator=(const ProcedureBinding&) = delete;

    // Makes Procedure() lead to entry(object, ...); false when no binding can be made.
    bool Bind(BoundProcedure entry, void* object);
    // The procedure to install as the window's, or null before a successful Bind.
    WNDPROC Procedure() const { return procedure; }

  private:
    WNDPROC procedure = nullptr;
    void* storage = nullptr; // what the platform keeps for this binding
};
