#include "platform/com/safearray.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/com/variant.h"

namespace {

// A vector lives in one block: a prefix whose last four bytes hold the element type (where
// the platform keeps it for FADF_HAVEVARTYPE), the descriptor, then the elements.
constexpr size_t kPrefix = 16;
constexpr size_t kDataOffset = kPrefix + ((sizeof(SAFEARRAY) + 15) / 16) * 16;

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_R8:
      return sizeof(double);
    case VT_I4:
      return sizeof(LONG);
    default:
      return 0;
  }
}

char* BlockOf(SAFEARRAY* psa) {
  return reinterpret_cast<char*>(psa) - kPrefix;
}

VARTYPE StoredVartype(SAFEARRAY* psa) {
  DWORD vt = 0;
  std::memcpy(&vt, BlockOf(psa) + kPrefix - sizeof vt, sizeof vt);
  return static_cast<VARTYPE>(vt);
}

// The element's byte offset, or -1 outside the bounds. Computed in 64 bits: a bound near
// the ends of the 32-bit range must not wrap into the array.
int64_t OffsetOf(SAFEARRAY* psa, const LONG* indices) {
  const SAFEARRAYBOUND& bound = psa->rgsabound[0];
  const int64_t index = int64_t{indices[0]} - bound.lLbound;
  if (index < 0 || index >= int64_t{bound.cElements}) {
    return -1;
  }
  return index * psa->cbElements;
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  const ULONG size = ElementSize(vt);
  if (size == 0) {
    return nullptr;
  }
  const size_t dataBytes = size_t{cElements} * size;
  char* block = static_cast<char*>(std::calloc(1, kDataOffset + dataBytes));
  if (!block) {
    return nullptr;
  }
  const DWORD storedVt = vt;
  std::memcpy(block + kPrefix - sizeof storedVt, &storedVt, sizeof storedVt);
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
  psa->cDims = 1;
  psa->fFeatures = FADF_HAVEVARTYPE | FADF_CREATEVECTOR;
  psa->cbElements = size;
  psa->cLocks = 0;
  psa->pvData = block + kDataOffset;
  psa->rgsabound[0] = {cElements, lLbound};
  return psa;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  if (cDims != 1 || !rgsabound) {
    return nullptr;
  }
  return SafeArrayCreateVector(vt, rgsabound[0].lLbound, rgsabound[0].cElements);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) {
    return S_OK;
  }
  if (psa->cLocks > 0) {
    return DISP_E_ARRAYISLOCKED;
  }
  std::free(BlockOf(psa));
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) {
    return E_INVALIDARG;
  }
  *ppsaOut = nullptr;
  if (!psa) {
    return S_OK;
  }
  SAFEARRAY* copy = SafeArrayCreateVector(StoredVartype(psa), psa->rgsabound[0].lLbound,
                                          psa->rgsabound[0].cElements);
  if (!copy) {
    return E_OUTOFMEMORY;
  }
  std::memcpy(copy->pvData, psa->pvData, size_t{psa->rgsabound[0].cElements} * psa->cbElements);
  *ppsaOut = copy;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
  return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
  return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) {
    return E_INVALIDARG;
  }
  *pvt = StoredVartype(psa);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) {
    return E_INVALIDARG;
  }
  if (nDim != 1) {
    return DISP_E_BADINDEX;
  }
  *plLbound = psa->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) {
    return E_INVALIDARG;
  }
  if (nDim != 1) {
    return DISP_E_BADINDEX;
  }
  // An empty array starting at the lowest index has no representable upper bound.
  const int64_t upper = int64_t{psa->rgsabound[0].lLbound} + psa->rgsabound[0].cElements - 1;
  if (upper < std::numeric_limits<LONG>::min() || upper > std::numeric_limits<LONG>::max()) {
    return DISP_E_OVERFLOW;
  }
  *plUbound = static_cast<LONG>(upper);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) {
    return E_INVALIDARG;
  }
  if (psa->cLocks == std::numeric_limits<ULONG>::max()) {
    return E_UNEXPECTED;
  }
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) {
    return E_INVALIDARG;
  }
  if (psa->cLocks == 0) {
    return E_UNEXPECTED;
  }
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) {
    return E_INVALIDARG;
  }
  const HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) {
    return hr;
  }
  *ppvData = psa->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
  return SafeArrayUnlock(psa);
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices || !pv) {
    return E_INVALIDARG;
  }
  const int64_t offset = OffsetOf(psa, rgIndices);
  if (offset < 0) {
    return DISP_E_BADINDEX;
  }
  std::memcpy(pv, static_cast<char*>(psa->pvData) + offset, psa->cbElements);
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices || !pv) {
    return E_INVALIDARG;
  }
  const int64_t offset = OffsetOf(psa, rgIndices);
  if (offset < 0) {
    return DISP_E_BADINDEX;
  }
  std::memcpy(static_cast<char*>(psa->pvData) + offset, pv, psa->cbElements);
  return S_OK;
}
