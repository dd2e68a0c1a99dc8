#include "frontend/frontend_state.h"

FrontEnd frontend;
