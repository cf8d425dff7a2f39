#pragma once
#include <cstdint>

#include "link/effects_interface.h"

// The client's own failures, as connectEffects reports them.
constexpr EffectsCode kConnectNoRootPlace = 2002;     // no place was given for the root table
constexpr EffectsCode kConnectNoResources = 2003;     // lock, event or thread, or COM could not start
constexpr EffectsCode kConnectNotAvailable = 2011;    // the engine's class or interface is missing
constexpr EffectsCode kConnectRefused = 2012;         // requestRoot did not return S_OK
constexpr EffectsCode kConnectServerFailed = 2014;    // the server failed for any other reason
constexpr EffectsCode kConnectClassDisabled = 2015;   // the engine's class is disabled

// The platform's results of a failed server start that the mapping below tells apart, for the pure
// core that does not include the platform's headers; the Windows build holds each to its header.
namespace hr {
constexpr std::uint32_t E_NOTIMPL_ = 0x80004001, E_NOINTERFACE_ = 0x80004002, CO_E_INIT_TLS_ = 0x80004006,
                        CO_E_INIT_SHARED_ALLOCATOR_ = 0x80004007, CO_E_INIT_MEMORY_ALLOCATOR_ = 0x80004008,
                        CO_E_INIT_CLASS_CACHE_ = 0x80004009, CO_E_INIT_TLS_CHANNEL_CONTROL_ = 0x8000400C,
                        CO_E_CLSREG_INCONSISTENT_ = 0x8000401F, CO_E_IIDREG_INCONSISTENT_ = 0x80004020,
                        CO_E_NOT_SUPPORTED_ = 0x80004021, CO_E_RELOAD_DLL_ = 0x80004022,
                        CO_E_CLASS_DISABLED_ = 0x80004027, CLASS_E_NOAGGREGATION_ = 0x80040110,
                        REGDB_E_CLASSNOTREG_ = 0x80040154, E_ACCESSDENIED_ = 0x80070005,
                        E_OUTOFMEMORY_ = 0x8007000E,
                        MOD_NOT_FOUND_ = 0x8007007E;  // the registered module is not there
}  // namespace hr

// The code a failed server start gives for the HRESULT of the server thread's last COM step.
EffectsCode connectCodeForServerResult(std::int32_t hresult);
