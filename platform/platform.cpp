#include "platform.h"

namespace {
Platform *g_installed = nullptr;
}

Platform &CurrentPlatform()
{
    return g_installed != nullptr ? *g_installed : NativePlatform();
}

Platform *InstallPlatform(Platform *platform)
{
    Platform *previous = g_installed;
    g_installed = platform;
    return previous;
}
