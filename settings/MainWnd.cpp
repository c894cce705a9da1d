#include "MainWnd.h"

QPointer<QWidget> g_pMainWnd;
