// Menu items and keys whose commands are not built yet: they are on the menu
// bar and do nothing when chosen.
#include "app/Form.h"

namespace quillon {

void Form::mnuSave_Click() {}
void Form::mnuSS_Click() {}
void Form::mnuSSOff_Click() {}
void Form::AppendCaption() {}


}  // namespace quillon
