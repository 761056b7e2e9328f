#include "platform/profile.h"
