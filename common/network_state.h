#pragma once

// True when the system reports an Internet connection.
bool IsNetworkConnected();
