#include "Karvelund.h"
#include "KarvelundIdentity.h"

#include "util/UTIL_Mutex.h"

Karvelund* MakePlug() {
    static UTIL_Mutex creationMutex;
    UTIL_MutexLock lock(&creationMutex);
    IPluginInstanceInfo info;
    info.mOSXBundleID.Set(karvelund::kBundleID);
    info.mCocoaViewFactoryClassName.Set(karvelund::kViewFactoryClassName);
    return new Karvelund(info);
}
