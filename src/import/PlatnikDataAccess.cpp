#include "import/PlatnikDataAccess.h"

bool PlatnikDataAccess::TestLogin() {
    const LoginResult result = connection_.TestLogin();
    connection_.Close();
    if (!result.ok()) ReportLoginFailure(result);
    return result.ok();
}

bool PlatnikDataAccess::OpenDatabase() {
    if (TestLogin()) connection_.Open();
    return connection_.IsConnected();
}
