#include "link_object.h"

CLinkProtocol g_link;
