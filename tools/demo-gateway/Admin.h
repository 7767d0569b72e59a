#pragma once

namespace httplib {
class Server;
}
class Controls;
class Gateway;

// Registers the test controls under /admin/ (answered on the loopback interface only).
void registerAdminRoutes(httplib::Server& server, Gateway& gateway, Controls& controls);
