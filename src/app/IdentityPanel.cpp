#include "app/IdentityPanel.h"

namespace pell::app {

void IdentityPanel::UseStandardChanged(bool set, const settings::AppSettings& global)
{
    useStandard = set;
    if (set)
        values = settings::identityOf(global);
}

} // namespace pell::app
