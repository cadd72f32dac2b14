#include "app/AgentListener.h"

#include "app/StubState.h"

void NotifyListener(AgentNotice notice, LPARAM value) {
  if (ListenerWindow && ListenerMessage)
    PostMessageA(ListenerWindow, ListenerMessage, WPARAM(notice), value);
}
