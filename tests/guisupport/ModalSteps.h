#pragma once
// Steps that answer the modal widgets of the bookmark commands.
#include "QtTestSupport.h"

class QWidget;
class TFormBookmarkItemEdit;

namespace kestrine::test {

// The modal as the edit dialog; a failure when it is something else.
TFormBookmarkItemEdit* EditDialog(QWidget* modal);
// The edit dialog's OK and Cancel buttons.
ModalAnswers::Step Confirm();
ModalAnswers::Step Cancel();
// Clicks the button of a message box that carries this text.
ModalAnswers::Step Press(const char* button);

}  // namespace kestrine::test
