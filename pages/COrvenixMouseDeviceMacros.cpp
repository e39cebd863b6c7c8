// The mouse plays macros from its own memory: the macros the keys use are packed into one image,
// the macro area, and sent whole; the key table then names each macro by its position there.
// The four shoot patterns go the same way into the shoot area.

#include <algorithm>

#include "core/base/DebugLine.h"
#include "core/macro/MacroStore.h"
#include "core/macro/ShootFile.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/protocol/codecs/EventArea.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/session/MouseKeys.h"
#include "editors/CShootControlUI.h"
#include "pages/COrvenixMouseDevice.h"

namespace q840::pages {

namespace {
using Info = protocol::InfoRecord;
constexpr size_t kCapacityUnit = 128;
}  // namespace

std::vector<int> COrvenixMouseDevice::MacroUseOrder(const std::vector<int>& keys,
                                                    int macroCount) const {
    return session::MacroUseOrder(keys, m_keySlotMap, macroCount);
}

std::vector<int> COrvenixMouseDevice::GetMacroUseList() {
    return MacroUseOrder(ProfileKeyCodes(), ReadMacroCount(MacroListPath()));
}

bool COrvenixMouseDevice::RefreshMacroCapacity() {
    std::array<uint8_t, Info::kSize> raw{};
    if (CommandProtocol().ReadInfo(raw.data()) != protocol::kResultOk) {
        return false;
    }
    // Only a record of this mouse says how much memory it has; anything else keeps the capacity
    // of the record read at arrival.
    const Info info = Info::Decode(raw.data(), raw.size());
    if (info.HasSignature()) {
        Session().InfoRecord()[Info::kOffMacroCapacity] = info.macroCapacity;
        m_info.macroCapacity = info.macroCapacity;
    }
    return true;
}

int COrvenixMouseDevice::UploadMacros(const std::vector<int>& macros) {
    SetUploadRefusal(UploadRefusal::None);
    auto& proto = CommandProtocol();
    // A mouse this program does not know gets nothing, and nothing is marked for it either.
    if (proto.IsMuted()) {
        return 0;
    }
    const bool open = proto.IsOpen();
    if (open) {
        // Asleep or out of range behind the receiver: nothing can be sent now. The area stays
        // marked, so the mouse gets it when it is next read.
        if (!LinkReady()) {
            SetPending(profile::PendingArea::MacroArea, true);
            return 0;
        }
        if (!RefreshMacroCapacity()) {
            SetPending(profile::PendingArea::MacroArea, true);
            return -1;
        }
    }

    // Without a mouse ever read there is no capacity to hold the area against.
    const bool capacityKnown = open || m_infoValid;
    const session::MacroAreaImage image = session::BuildMacroAreaImage(
        DeviceFolder().toStdString(), macros,
        capacityKnown ? long(GetMacroCapacity()) * long(kCapacityUnit) : -1L);
    if (image.empty) {
        // No key plays a macro: the mouse may keep whatever area it has.
        SetPending(profile::PendingArea::MacroArea, false);
        return 0;
    }
    if (image.refusal != session::MacroAreaImage::Refusal::None) {
        SetUploadRefusal(image.refusal == session::MacroAreaImage::Refusal::TooManySteps
                             ? UploadRefusal::TooManySteps
                             : UploadRefusal::AreaTooLarge);
        return image.excess;
    }
    const std::vector<uint8_t>& area = image.area;
    if (!open) {
        // Built and checked, but there is no mouse to take it.
        SetPending(profile::PendingArea::MacroArea, true);
        return 0;
    }

    // Every answer counts: an area cut short would leave keys playing half a macro, or another
    // macro's steps.
    const bool sent = LinkReady() && proto.Begin() == protocol::kResultOk && LinkReady() &&
                      proto.WriteMacroArea(area.data(), int(area.size())) == protocol::kResultOk &&
                      LinkReady() && proto.End() == protocol::kResultOk;
    SetPending(profile::PendingArea::MacroArea, !sent);
    if (!sent) {
        DebugLine("macro area not taken whole by the mouse");
        return -1;
    }
    return 0;
}

int COrvenixMouseDevice::WritePendingMacroArea() {
    if (!m_pending.Has(profile::PendingArea::MacroArea)) {
        return 1;
    }
    if (CommandProtocol().IsMuted()) {
        return 0;
    }
    const int result = UploadMacros(GetMacroUseList());
    if (result > 0) {
        // Refused before sending (the user was told when it happened): the mouse keeps its area
        // until the macros change, and there is nothing left to retry.
        SetPending(profile::PendingArea::MacroArea, false);
    }
    return m_pending.Has(profile::PendingArea::MacroArea) ? 0 : 1;
}

int COrvenixMouseDevice::UploadShootPatterns(bool always) {
    auto& proto = CommandProtocol();
    if (proto.IsMuted()) {
        return 0;
    }
    const bool open = proto.IsOpen();
    // Each file is read once, as it is now. A file that is missing or not a pattern goes as a
    // record without steps: the mouse then plays nothing for that gun rather than steps nobody
    // chose.
    std::vector<std::vector<protocol::MacroStep>> records;
    for (int gun = 0; gun < macro::kShootGuns; ++gun) {
        Json::Value root;
        const macro::ShootCheck check =
            macro::ShootFile::Read(ShootPatternPath(gun).toStdString(), &root);
        if (check != macro::ShootCheck::Ok) {
            DebugLine("shoot pattern %d not readable (%d): sent without steps", gun, int(check));
        }
        records.push_back(macro::ShootFile::Steps(root));
    }
    const std::vector<uint8_t> area = protocol::BuildEventArea(records);
    if (!open) {
        SetPending(profile::PendingArea::ShootArea, true);
        return 0;
    }
    // The mouse already holds exactly this area since it arrived: nothing to ask it.
    if (!always && area == m_shootAreaHeld && !m_pending.Has(profile::PendingArea::ShootArea)) {
        return 1;
    }
    if (!LinkReady() || !RefreshMacroCapacity()) {
        // Asleep or out of range behind the receiver: the area goes at the next arrival.
        SetPending(profile::PendingArea::ShootArea, true);
        return 0;
    }
    m_shootAreaHeld.clear();
    // Every answer counts: a cut area would leave a gun playing another gun's pull.
    const bool sent = LinkReady() && proto.Begin() == protocol::kResultOk && LinkReady() &&
                      proto.WriteShootArea(area.data(), int(area.size())) == protocol::kResultOk &&
                      LinkReady() && proto.End() == protocol::kResultOk;
    SetPending(profile::PendingArea::ShootArea, !sent);
    if (!sent) {
        DebugLine("shoot area not taken whole by the mouse");
        return 0;
    }
    m_shootAreaHeld = area;
    return 1;
}

editors::CShootControlUI* COrvenixMouseDevice::GetShootEditor() const {
    return qobject_cast<editors::CShootControlUI*>(GetEditor("ShootControlItem"));
}

void COrvenixMouseDevice::BindShootEditor() {
    if (editors::CShootControlUI* editor = GetShootEditor()) {
        editor->SetWorkFolder(DeviceFolder());
        editor->SetDefaultFolder(DefaultDataFolder());
        editor->InitShootEditor();
        editor->SelectGun(0);
        editor->SelectBullet(0);
    }
}

int COrvenixMouseDevice::WritePendingShootArea() {
    if (!m_pending.Has(profile::PendingArea::ShootArea)) {
        return 1;
    }
    if (CommandProtocol().IsMuted()) {
        return 0;
    }
    return UploadShootPatterns(true);
}

}  // namespace q840::pages
