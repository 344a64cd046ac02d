#include "platform/com/connection_enumerators.h"

#include <memory>

#include "platform/com/object.h"

namespace {

IConnectionPoint* HandOut(const ComPtr<IConnectionPoint>& point) {
  point->AddRef();
  return point.Get();
}

CONNECTDATA HandOut(const ConnectionEntry& entry) {
  entry.sink->AddRef();
  return {entry.sink.Get(), entry.cookie};
}

// Clones share the list and start where the original stands.
template <class Enum, class Item, class Stored>
class SnapshotEnumerator final : public ComObject<Enum> {
 public:
  SnapshotEnumerator(std::shared_ptr<const std::vector<Stored>> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out) {
      return E_POINTER;
    }
    if (count != 1 && !fetched) {
      return E_INVALIDARG;
    }
    ULONG given = 0;
    while (given < count && position_ < items_->size()) {
      out[given++] = HandOut((*items_)[position_++]);
    }
    if (fetched) {
      *fetched = given;
    }
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const size_t left = items_->size() - position_;
    position_ += std::min<size_t>(left, count);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT Clone(Enum** out) override {
    if (!out) {
      return E_POINTER;
    }
    auto* clone = new SnapshotEnumerator(items_, position_);
    clone->AddRef();
    *out = clone;
    return S_OK;
  }

 private:
  std::shared_ptr<const std::vector<Stored>> items_;
  size_t position_;
};

template <class Enum, class Item, class Stored>
Enum* NewEnumerator(std::vector<Stored> items) {
  auto shared = std::make_shared<const std::vector<Stored>>(std::move(items));
  auto* enumerator = new SnapshotEnumerator<Enum, Item, Stored>(std::move(shared), 0);
  enumerator->AddRef();
  return enumerator;
}

}  // namespace

IEnumConnections* NewConnectionsEnumerator(std::vector<ConnectionEntry> connections) {
  return NewEnumerator<IEnumConnections, CONNECTDATA>(std::move(connections));
}

IEnumConnectionPoints* NewConnectionPointsEnumerator(std::vector<ComPtr<IConnectionPoint>> points) {
  return NewEnumerator<IEnumConnectionPoints, IConnectionPoint*>(std::move(points));
}
