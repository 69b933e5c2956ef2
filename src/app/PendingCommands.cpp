// Menu items and keys whose commands are not built yet: they are on the menu
// bar and do nothing when chosen.
#include "app/Form.h"

namespace quillon {

void Form::mnuSave_Click() {}
void Form::mnuSS_Click() {}
void Form::mnuSSOff_Click() {}
void Form::AppendCaption() {}

void Form::mnuCrown_Click() {}
void Form::mnuComet_Click() {}
void Form::mnuCreature_Click() {}
void Form::mnuDIA_Click() {}
void Form::mnuDust_Click() {}
void Form::mnuE1_Click() {}
void Form::mnuE2_Click() {}
void Form::mnuE3_Click() {}
void Form::mnuE4_Click() {}
void Form::mnuE5_Click() {}
void Form::mnuE8_Click() {}
void Form::mnuE8A_Click() {}
void Form::mnuE8B_Click() {}
void Form::mnuGinBread_Click() {}
void Form::mnuHop1_Click() {}
void Form::mnuHop2_Click() {}
void Form::mnuHop3_Click() {}
void Form::mnuHop5_Click() {}

void Form::mnuMartin_Click() {}
void Form::mnuMira_Click() {}
void Form::mnu3P4_Click() {}
void Form::mnuHop4_Click() {}
void Form::mnuThreeply_Click() {}
void Form::mnu3P2_Click() {}
void Form::mnu3P6_Click() {}
void Form::mnu3P7_Click() {}
void Form::mnu3P8_Click() {}
void Form::mnuTree_Click() {}
void Form::mnuTriangles_Click() {}
void Form::mnu3P5_Click() {}

void Form::mnuNUM_Click() {}
void Form::mnuARCH_Click() {}
void Form::mnuBIF_Click() {}
void Form::mnuLOR_Click() {}
void Form::mnuLOR2_Click() {}
void Form::mnuLOR3_Click() {}
void Form::mnuLOGS_Click() {}
void Form::mnuLOG_Click() {}
void Form::mnuPE_Click() {}
void Form::mnuScorpion_Click() {}
void Form::mnuSierpi_Click() {}

}  // namespace quillon
