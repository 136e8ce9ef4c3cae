#include "session/Session.h"

namespace pell::session {

Session::Session(SessionContext context, const settings::TSSettings& pendingProfile,
                 const PresentationBinder& bindPresentation)
    : model_(context.Settings, context.Shared, context.Ports),
      events_(engine_, model_, context.Settings),
      engine_(context.Gui, context.Transport ? context.Transport() : nullptr),
      commands_(engine_, model_, context.Settings, context.Ports.Prompts, context.UserInfo),
      templates_(engine_, commands_, context.Settings, context.Ports.Prompts),
      lifecycle_(engine_, model_, context.Settings, context.Ports.Prompts),
      offers_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui),
      chats_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui, offers_)
{
    if (bindPresentation)
        bindPresentation(engine_, model_);
    events_.Bind();
    lifecycle_.ConnectTimeout = context.ConnectTimeoutMs;
    lifecycle_.BindEngine();
    offers_.Bind();
    chats_.Bind();
    lifecycle_.Create(pendingProfile);
}

} // namespace pell::session
