#pragma once

#include <windows.h>
#include <olectl.h>

// What DllRegisterServer writes, in the registry view of the module's own
// width (HKLM\Software\Classes, which HKCR shows):
//   CLSID\{class}                     (default) description
//   CLSID\{class}\InprocServer32      (default) this module, ThreadingModel Apartment
//   .ext\ShellEx\{thumbnail handler}  (default) {class}, for each shell extension
//   ...\Shell Extensions\Approved     value {class} = description
// Unregistering removes exactly those: an extension's entry only while it
// still names our class, and the keys above it only when left empty.
HRESULT RegisterShellHandler();
HRESULT UnregisterShellHandler();
