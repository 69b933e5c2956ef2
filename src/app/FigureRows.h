// The map figures' rows, one per figure command, defined beside their step code.
// The window's commands run them; the renderer finds them through the catalog.
#pragma once

#include "app/MapFigure.h"

namespace quillon::figures {

extern const MapFigure kThreeply;
extern const MapFigure kTP2;
extern const MapFigure kTP4;
extern const MapFigure kTP5;
extern const MapFigure kTP6;
extern const MapFigure kTP7;
extern const MapFigure kTP8;
extern const MapFigure kHenon;
extern const MapFigure kLozi;
extern const MapFigure kMartin;
extern const MapFigure kMira;
extern const MapFigure kGingerbread;
extern const MapFigure kSierpi;
extern const MapFigure kScorpion;
extern const MapFigure kTree;
extern const MapFigure kTriangles;
extern const MapFigure kDiamond;
extern const MapFigure kDust;
extern const MapFigure kHop1;
extern const MapFigure kHop2;
extern const MapFigure kHop3;
extern const MapFigure kHop5;
extern const MapFigure kHop4;
extern const MapFigure kE1;
extern const MapFigure kE2;
extern const MapFigure kE3;
extern const MapFigure kE4;
extern const MapFigure kE5;
extern const MapFigure kE8;
extern const MapFigure kE8A;
extern const MapFigure kE8B;
extern const MapFigure kCrown;
extern const MapFigure kComet;
extern const MapFigure kCreature;
extern const MapFigure kLorenzXY;
extern const MapFigure kLorenzXZ;
extern const MapFigure kLorenzYZ;

}  // namespace quillon::figures
