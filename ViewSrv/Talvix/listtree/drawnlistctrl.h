// DrawnListCtrl: the concrete owner-drawn list.
#pragma once

#include "drawnlistbase.h"

class DrawnListCtrl : public DrawnListBaseC {};
