#include "qelcommobjsink.h"

void CQelCommObjSink::OnCommObjectEvent(IUnknown *, ULONG, BOOL) {}

void CQelCommObjSink::OnCommObjectEvent2(IUnknown *, ULONG) {}
