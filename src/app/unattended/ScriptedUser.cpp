#include "app/unattended/ScriptedUser.h"

#include "platform/Unattended.h"

namespace bv {

std::optional<std::string> ScriptedUser::take(const std::function<bool(const std::string&)>& fits)
{
    return m_session.takeAnswer(fits);
}

} // namespace bv
