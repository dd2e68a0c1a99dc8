#include "frontend/frontend_state.h"

FrontEnd frontend = {PROTO_NONE, PROTO_NONE, REMOTE_NONE, "", DEFAULT_REMOTE_PORT,
                     false,      false,      false,       STOP_NONE, false, 0};
