#include "link/codec.hpp"
