// A listener that counts the assertions of an update signal and adds itself
// again each time, so it hears every assertion, not only the first.
#pragma once

#include <functional>
#include <utility>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"

namespace vtest {

struct Listener {
    explicit Listener(std::function<void(PB_SIGNALABLE*)> addTo) : add(std::move(addTo)) { add(signalable.get()); }
    int heard = 0;
    std::function<void(PB_SIGNALABLE*)> add;
    pb::Ref<PB_SIGNALABLE> signalable = pb::adopt(pbSignalableCreateWithCallback(
        [](void* c) {
            auto* self = static_cast<Listener*>(c);
            ++self->heard;
            self->add(self->signalable.get());
        },
        this));
};

}  // namespace vtest
