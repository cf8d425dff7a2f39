#include "effects/connect_codes.h"

EffectsCode connectCodeForServerResult(std::int32_t hresult) {
    const std::uint32_t value = static_cast<std::uint32_t>(hresult);
    switch (value) {
    case 0x80004001u:  // E_NOTIMPL
    case 0x80004002u:  // E_NOINTERFACE
    case 0x8000401Fu:  // CO_E_CLSREG_INCONSISTENT
    case 0x80004020u:  // CO_E_IIDREG_INCONSISTENT
    case 0x80004021u:  // CO_E_NOT_SUPPORTED
    case 0x80004022u:  // CO_E_RELOAD_DLL
    case 0x80040110u:  // CLASS_E_NOAGGREGATION
    case 0x80040154u:  // REGDB_E_CLASSNOTREG
    case 0x80070005u:  // E_ACCESSDENIED
    case 0x8007007Eu:  // ERROR_MOD_NOT_FOUND: the registered module is not there
        return kConnectNotAvailable;
    case 0x80004006u:  // CO_E_INIT_TLS
    case 0x80004007u:  // CO_E_INIT_SHARED_ALLOCATOR
    case 0x80004008u:  // CO_E_INIT_MEMORY_ALLOCATOR
    case 0x80004009u:  // CO_E_INIT_CLASS_CACHE
    case 0x8000400Cu:  // CO_E_INIT_TLS_CHANNEL_CONTROL
    case 0x8007000Eu:  // E_OUTOFMEMORY
        return kConnectNoResources;
    case 0x80004027u:  // CO_E_CLASS_DISABLED
        return kConnectClassDisabled;
    default:
        return kConnectServerFailed;
    }
}
