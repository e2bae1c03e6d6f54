// The end of the desktop session while the window is open.
//
// Windows asks every program whether the session may end (WM_QUERYENDSESSION,
// which Qt passes on as commitDataRequest) and may end the process any time
// after it has said yes, without the shutdown steps that follow the message
// loop. The settings are therefore written when the session manager asks; the
// tables need nothing, each run's data being committed when it ends. An X
// session manager asks the same way.
#pragma once

namespace lognex {

class TfrmErrorMain;

// From now on, a commit request of the session manager writes window's
// settings file as Exit would. A failure goes to standard error: no box may
// hold up the end of the session.
void WriteSettingsWhenSessionEnds(TfrmErrorMain& window);

}  // namespace lognex
