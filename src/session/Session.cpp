#include "session/Session.h"

namespace pell::session {

Session::Session(SessionContext context, const settings::TSSettings& pendingProfile,
                 const PresentationBinder& bindPresentation)
    : model_(context.Settings, context.Shared, context.Ports),
      engine_(context.Gui, context.Transport ? context.Transport() : nullptr),
      lifecycle_(engine_, model_, context.Settings, context.Ports.Prompts),
      offers_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui),
      chats_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui, offers_)
{
    if (bindPresentation)
        bindPresentation(engine_, model_);
    lifecycle_.ConnectTimeout = context.ConnectTimeoutMs;
    lifecycle_.BindEngine();
    offers_.Bind();
    chats_.Bind();
    lifecycle_.Create(pendingProfile);
}

} // namespace pell::session
