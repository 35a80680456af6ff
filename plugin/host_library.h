// One host library the plugin depends on, with the routine that binds its functions into the host
// function table. A plain record both the plugin state and the binders use.
#pragma once

struct HostLibrary {
    const char* name;
    void (*bind)();
};
