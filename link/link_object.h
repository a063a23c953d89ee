// g_link: the one link object every link export works through. It lives from
// the library's load to its unload.
#ifndef TESSALINK_LINK_LINK_OBJECT_H
#define TESSALINK_LINK_LINK_OBJECT_H

#include "link_protocol.h"

extern CLinkProtocol g_link;

#endif
