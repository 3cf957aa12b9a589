#include "tarstateeventsink.h"

void CTarStateEventSink::OnTargetStateChange(ULONG, ULONG) {}

void CTarStateEventSink::OnTargetStateNotify(ULONG, ULONG) {}

void CTarStateEventSink::OnTargetStateEvent() {}
