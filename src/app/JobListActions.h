#pragma once

#include "jobs/JobExecution.h"

#include <functional>

namespace qorprt {

// What accompanies a key of the job list: the keyboard (any modifiers) or the mouse button a
// menu passes on.
enum class ShiftState { Keyboard, LeftButton, RightButton };

// The user's operations on the job list: select, delete, print all, redraw. Each works on the
// entries as they stand at every pass, since jobs handed over inside a message box of a job may
// add entries meanwhile.
class JobListActions {
public:
    // `runJob` executes the job in Aufruf (DoJob with the failure containment).
    JobListActions(JobEnvironment& env, std::function<bool(bool minimise)> runJob);

    static constexpr int kDeleteKey = 46;

    // The user selected an entry (mouse or arrow keys).
    void JobsClick();
    // A key on the job list; only Delete acts.
    void JobsTaste(int key, ShiftState shift);
    // "selektierten Job löschen" and "alle Jobs löschen" of the list's menu.
    void JobDelClick();
    void JobsDelClick();
    // "Alles &drucken": every job printed directly, first to last.
    void DruckeJobsClick();
    // "&Refresh": the current PRT file drawn again.
    void RefreshClick();

private:
    JobEnvironment& env_;
    std::function<bool(bool)> runJob_;
};

} // namespace qorprt
