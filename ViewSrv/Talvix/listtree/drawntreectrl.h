// DrawnTreeCtrl: the concrete owner-drawn tree that the symbol windows derive from.
#pragma once

#include "drawntreebase.h"

class DrawnTreeCtrl : public DrawnTreeBaseC {};
