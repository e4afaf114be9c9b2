#include "app/native/Termination.h"

namespace kestrine::native {

// Log-off and shut-down come as WM_QUERYENDSESSION and WM_ENDSESSION, which Qt turns into
// QGuiApplication::commitDataRequest for the main window.
void OnTerminationRequest(QObject*, std::function<void()>) {}

}  // namespace kestrine::native
