#pragma once

// Initialises libcurl's global state once per process, whichever thread asks
// first; every easy handle is created after this.
void EnsureCurlGlobalInit();
