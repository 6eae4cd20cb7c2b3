#include "link/measurands.hpp"
