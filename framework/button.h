#pragma once

#include "wnd.h"

// A button bound to a dialog control, for the messages the application sends
// it (BM_SETCHECK).
class CButton : public CWnd {};
