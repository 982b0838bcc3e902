// The service "UPS" in this process: the connection to the service control manager, the
// service main with its control handler, and the same monitoring loop in the foreground ("/app").
#pragma once

namespace service {

// Connects to the service control manager as the service "UPS" and returns when the service has
// stopped; returns at once when the program was not started by the manager.
void run_service_dispatcher();

// The monitoring loop on this thread, without the manager; returns when the loop ends.
void run_monitoring_in_foreground();

}  // namespace service
