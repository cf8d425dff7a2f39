#include "effects/connect_codes.h"

EffectsCode connectCodeForServerResult(std::int32_t hresult) {
    using namespace hr;
    switch (static_cast<std::uint32_t>(hresult)) {
    case E_NOTIMPL_:
    case E_NOINTERFACE_:
    case CO_E_CLSREG_INCONSISTENT_:
    case CO_E_IIDREG_INCONSISTENT_:
    case CO_E_NOT_SUPPORTED_:
    case CO_E_RELOAD_DLL_:
    case CLASS_E_NOAGGREGATION_:
    case REGDB_E_CLASSNOTREG_:
    case E_ACCESSDENIED_:
    case MOD_NOT_FOUND_:
        return kConnectNotAvailable;
    case CO_E_INIT_TLS_:
    case CO_E_INIT_SHARED_ALLOCATOR_:
    case CO_E_INIT_MEMORY_ALLOCATOR_:
    case CO_E_INIT_CLASS_CACHE_:
    case CO_E_INIT_TLS_CHANNEL_CONTROL_:
    case E_OUTOFMEMORY_:
        return kConnectNoResources;
    case CO_E_CLASS_DISABLED_:
        return kConnectClassDisabled;
    default:
        return kConnectServerFailed;
    }
}
