#include "import/PlatnikDataAccess.h"

bool PlatnikDataAccess::TestLogin() {
    const LoginResult result = connection_.TestLogin();
    connection_.Close();
    if (!result.ok()) ReportLoginFailure(result);
    return result.ok();
}

bool PlatnikDataAccess::OpenDatabase() {
    const LoginResult result = connection_.Login();
    if (!result.ok()) ReportLoginFailure(result);
    return connection_.IsConnected();
}
