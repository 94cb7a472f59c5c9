#include "message_map.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static constexpr AFX_MSGMAP map{nullptr, {}};
    return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY& e : map->entries) {
            if (e.nMessage != message)
                continue;
            if (message != WM_COMMAND || (e.nCode == code && e.nID == id))
                return &e;
        }
    }
    return nullptr;
}
