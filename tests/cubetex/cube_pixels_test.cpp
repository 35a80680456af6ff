#include "plugin_fixture.h"
