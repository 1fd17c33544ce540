// Status of modules and objects as a store and as Prometheus metrics.
#include "status_export.h"

#include <cctype>
#include <map>
#include <vector>

#include "cs/cs.h"
#include "pb/pb.h"
#include "rfc/rfc.h"
#include "text.h"

namespace vorlix::tools {

namespace {

pb::Ref<PB_STORE> itemsStore(CS_STATUS* status) {
    auto out = pb::adopt(pbStoreCreate());
    auto items = pb::adopt(csStatusItems(status));
    for (PB_INT k = 0; k < csStatusItemsLength(items.get()); ++k) {
        auto name = pb::adopt(csStatusItemsNameAt(items.get(), k));
        auto item = pb::adopt(csStatusItemsItemAt(items.get(), k));
        if (!pbStoreAddressOk(name.get())) continue;
        switch (csStatusItemType(item.get())) {
        case CS_STATUS_ITEM_TYPE_BOOL: pbStoreSetValueBool(out.out(), name.get(), csStatusItemBoolValue(item.get())); break;
        case CS_STATUS_ITEM_TYPE_INT: pbStoreSetValueInt(out.out(), name.get(), csStatusItemIntValue(item.get())); break;
        case CS_STATUS_ITEM_TYPE_STRING:
            pbStoreSetValue(out.out(), name.get(), pb::adopt(csStatusItemStringValue(item.get())).get());
            break;
        case CS_STATUS_ITEM_TYPE_STORE:
            pbStoreSetStore(out.out(), name.get(), pb::adopt(csStatusItemStoreValue(item.get())).get());
            break;
        default: {
            auto buffer = pb::adopt(csStatusItemBufferValue(item.get()));
            pbStoreSetValue(out.out(), name.get(), pb::adopt(rfcBaseEncodeToString(buffer.get(), RFC_BASE_64)).get());
        }
        }
    }
    return out;
}

// Calls visit(label, name, status) for every module and named object with
// a status.
template <class Visit>
void forEachStatus(Visit visit) {
    auto names = pb::adopt(csModuleTableModuleNamesVector());
    for (PB_INT i = 0; i < pbVectorLength(names.get()); ++i) {
        auto name = pb::adopt(pbStringFrom(pbVectorObjAt(names.get(), i)));
        auto status = pb::adopt(csModuleStatusByModuleName(name.get()));
        visit("module", name.get(), status.get(), nullptr);
    }
    auto records = pb::adopt(csObjectTableRecordsVector());
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto held = pb::adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto* record = held.get();
        auto name = pb::adopt(csObjectRecordName(record));
        auto object = pb::adopt(csObjectRecordObject(record));
        auto status = pb::adopt(csObjectStatus(object.get()));
        visit("object", name.get(), status.get(), object.get());
    }
}

std::string labelValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '"') out += "\\\"";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

}  // namespace

pb::Ref<PB_STORE> statusStore() {
    auto modules = pb::adopt(pbStoreCreate());
    auto objects = pb::adopt(pbStoreCreate());
    forEachStatus([&](const char* kind, PB_STRING* name, CS_STATUS* status, PB_OBJ* object) {
        if (!pbStoreAddressOk(name)) return;
        if (!object) {
            pbStoreSetStore(modules.out(), name, status ? itemsStore(status).get() : pb::adopt(pbStoreCreate()).get());
            return;
        }
        (void)kind;
        auto entry = pb::adopt(pbStoreCreate());
        pbStoreSetValueCstr(entry.out(), "sort", -1, pb::adopt(pbSortName(pbObjSort(object))).get());
        if (status) pbStoreSetStoreCstr(entry.out(), "status", -1, itemsStore(status).get());
        pbStoreSetStore(objects.out(), name, entry.get());
    });
    auto out = pb::adopt(pbStoreCreate());
    pbStoreSetStoreCstr(out.out(), "modules", -1, modules.get());
    pbStoreSetStoreCstr(out.out(), "objects", -1, objects.get());
    return out;
}

std::string metricName(const std::string& item) {
    std::string out = "vorlix_";
    for (size_t i = 0; i < item.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(item[i]);
        if (std::isupper(c)) {
            if (i > 0 && out.back() != '_') out += '_';
            out += char(std::tolower(c));
        } else if (std::isalnum(c) || c == '_') {
            out += char(c);
        } else {
            out += '_';
        }
    }
    return out;
}

std::string metricsText() {
    std::map<std::string, std::pair<std::string, std::vector<std::string>>> families;  // name -> item, samples
    forEachStatus([&](const char* kind, PB_STRING* name, CS_STATUS* status, PB_OBJ*) {
        if (!status) return;
        auto items = pb::adopt(csStatusItems(status));
        std::string label = std::string(kind) + "=\"" + labelValue(utf8(name)) + "\"";
        for (PB_INT k = 0; k < csStatusItemsLength(items.get()); ++k) {
            auto item = pb::adopt(csStatusItemsItemAt(items.get(), k));
            std::string value;
            if (csStatusItemType(item.get()) == CS_STATUS_ITEM_TYPE_BOOL)
                value = csStatusItemBoolValue(item.get()) ? "1" : "0";
            else if (csStatusItemType(item.get()) == CS_STATUS_ITEM_TYPE_INT)
                value = std::to_string(csStatusItemIntValue(item.get()));
            else
                continue;
            std::string itemName = utf8(pb::adopt(csStatusItemsNameAt(items.get(), k)).get());
            auto& family = families[metricName(itemName)];
            family.first = itemName;
            family.second.push_back("{" + label + "} " + value);
        }
    });
    std::string out;
    for (const auto& [metric, family] : families) {
        out += "# HELP " + metric + " Status item " + family.first + " of modules and objects.\n";
        out += "# TYPE " + metric + " gauge\n";
        for (const auto& sample : family.second) out += metric + sample + "\n";
    }
    return out;
}

}  // namespace vorlix::tools
