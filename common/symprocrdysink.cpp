#include "symprocrdysink.h"

void CSymProcRdySink::OnSymbolProcReadyState(int) {}

void CSymProcRdySink2::OnPatternWindowOpen(LONG, LONG) {}

void CSymProcRdySink2::OnPatternWindowClose(LONG, LONG) {}
