// Menu items and keys whose commands are not built yet: they are on the menu
// bar and do nothing when chosen.
#include "app/Form.h"

namespace quillon {

void Form::mnuSave_Click() {}
void Form::mnuSS_Click() {}
void Form::mnuSSOff_Click() {}
void Form::AppendCaption() {}

void Form::mnuNUM_Click() {}
void Form::mnuARCH_Click() {}
void Form::mnuBIF_Click() {}
void Form::mnuLOR_Click() {}
void Form::mnuLOR2_Click() {}
void Form::mnuLOR3_Click() {}
void Form::mnuLOGS_Click() {}
void Form::mnuLOG_Click() {}
void Form::mnuPE_Click() {}

}  // namespace quillon
