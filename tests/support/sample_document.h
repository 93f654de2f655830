#pragma once

#include "engine/calc_types.h"

// A calculation of five revisions, 15/03/2001 to 10/06/2005, on the second
// quarter of 2000, lease signed 01/06/1999, with the given rent.
CalcDocument SampleDocument(double rent);
