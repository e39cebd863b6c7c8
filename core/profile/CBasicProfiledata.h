#pragma once

// Profile data of one device page: the page's settings in memory, the paths of its stored files,
// and the conversion between the in-memory records and the JSON files that keep them. This is the
// only place where the device node's keys are spelled.
//
// A profile file is {"profilename", "profileUUID", "Device": [node, ...]}; the page's node is
// "Device"[device index]. Read operations work on the kept device node and never fail: what is
// missing, or of the wrong JSON type, reads as 0 / empty. Write operations change only the kept
// node; SaveCurrent makes them durable.
//
// Folder paths are always handed in by the caller. No lock: an object belongs to one device page.

#include <json/value.h>

#include <filesystem>
#include <vector>

#include "core/profile/JsonFileStore.h"
#include "core/profile/ProfileRecords.h"

namespace q840::profile {

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;

    // --- virtual operations (the subclasses override none of them) ---
    // SaveNode(device node, profile path).
    virtual bool SaveCurrent();
    // Stores value as "Device"[device index] of the file at path (read, modify, write); the other
    // root members of the file survive. False when the file could not be written.
    virtual bool SaveNode(const Json::Value& value, const std::filesystem::path& path);
    // SaveNode(other node, path).
    virtual bool SaveOtherNode(const std::filesystem::path& path);
    // Writes value as the whole content of path.
    virtual bool WriteFile(const Json::Value& value, const std::filesystem::path& path);

    // --- paths and indices ---
    void SetProfilePath(const std::filesystem::path& path);  // ignored when empty
    const std::filesystem::path& GetProfilePath() const { return m_profilePath; }
    void SetDefaultProfilePath(const std::filesystem::path& path);  // ignored when empty
    const std::filesystem::path& GetDefaultProfilePath() const { return m_defaultProfilePath; }
    void SetLightConfigPath(const std::filesystem::path& path) { m_lightConfigPath = path; }
    const std::filesystem::path& GetLightConfigPath() const { return m_lightConfigPath; }
    // Index into "Device" (pages pass 0). Values outside 0..63 are ignored.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return m_deviceIndex; }

    // Where custom effects are looked up in the light configuration: the entry
    // "LightInfo"[light list index][select item - custom effect base]. The light list index
    // defaults to the device index and the base to 0; a page whose custom effects follow its
    // built-in ones (the mouse: 12 built-in effects, light list index 1) sets both so that the
    // steps played are those of the effect whose name it shows.
    void SetCustomEffectSource(int lightListIndex, int customEffectBase);
    int GetCustomEffectBase() const { return m_customEffectBase; }
    // Folder of the ".light" files. Empty (the default) means the light configuration's folder.
    void SetCustomEffectFolder(const std::filesystem::path& folder) {
        m_customEffectFolder = folder;
    }

    // --- loading ---
    // Device node of the profile file, kept as the device node. A file without the node (or no
    // file) gets the default profile's node copied in and written back; its other members, such
    // as "profilename", stay as they were.
    Json::Value LoadDeviceNode(const std::filesystem::path& path);
    // The same into the other node (used to edit a profile that is not the current one).
    Json::Value LoadOtherDeviceNode(const std::filesystem::path& path);
    // Reads and keeps the light configuration file.
    Json::Value LoadLightConfig(const std::filesystem::path& path);

    const Json::Value& GetDeviceNode() const { return m_deviceNode; }
    Json::Value& DeviceNode() { return m_deviceNode; }
    void SetDeviceNode(const Json::Value& node) { m_deviceNode = node; }
    const Json::Value& GetOtherNode() const { return m_otherNode; }
    const Json::Value& GetLightConfig() const { return m_lightConfig; }
    JsonFileStore& Store() { return m_store; }

    // --- lighting ---
    // "LightInfo" of the device node (the all-zero fallback when there is none); kept as current.
    LightSetting ReadLightSetting();
    // Keeps setting as current and replaces "LightInfo" with its eleven members.
    void WriteLightSetting(const LightSetting& setting);
    const LightSetting& GetLightSetting() const { return m_lightSetting; }
    // "LightList": a null element gives zeros with the present flag 0, an object its values with
    // the present flag 1.
    std::vector<LightSetting> ReadLightList();
    const std::vector<LightSetting>& GetLightList() const { return m_lightList; }
    // Steps of the selected custom effect (".light" file named by the effect's "Guid"); empty when
    // the select item is not a custom effect or its file is missing.
    std::vector<LightEffectStep> ReadCustomEffectSteps();
    const std::vector<LightEffectStep>& GetCustomEffectSteps() const { return m_customSteps; }
    // "AudioLightInfo" (keyboard).
    AudioLightSetting ReadAudioLightSetting();
    void WriteAudioLightSetting(const AudioLightSetting& setting);

    // --- keys ---
    // "KeyList" of the device node / other node; key index i in both halves of pair i.
    std::vector<KeyAssignmentPair> ReadKeyAssignments();
    std::vector<KeyAssignmentPair> ReadOtherKeyAssignments();
    // Sets "KeyList"[i]."Assignment" from the current half of pair i; "DefaultAssignment" stays.
    void WriteKeyAssignments(const std::vector<KeyAssignmentPair>& pairs);
    void WriteOtherKeyAssignments(const std::vector<KeyAssignmentPair>& pairs);
    const std::vector<KeyAssignmentPair>& GetKeyAssignments() const { return m_keyPairs; }
    const std::vector<KeyAssignmentPair>& GetOtherKeyAssignments() const { return m_otherKeyPairs; }

protected:
    Json::Value LoadNodeWithRepair(const std::filesystem::path& path);
    static std::vector<KeyAssignmentPair> ReadKeyList(const Json::Value& node);
    static void WriteKeyList(Json::Value& node, const std::vector<KeyAssignmentPair>& pairs);

    std::filesystem::path m_profilePath;
    std::filesystem::path m_defaultProfilePath;
    int m_customEffectBase = 0;
    LightSetting m_lightSetting;
    LightSetting m_fallbackLightSetting{};  // all zero: a node without "LightInfo"
    AudioLightSetting m_audioLightSetting;
    std::vector<LightSetting> m_lightList;
    Json::Value m_deviceNode;
    JsonFileStore m_store;
    Json::Value m_otherNode;
    std::filesystem::path m_lightConfigPath;
    std::vector<LightEffectStep> m_customSteps;
    Json::Value m_lightConfig;
    std::vector<KeyAssignmentPair> m_keyPairs;
    std::vector<KeyAssignmentPair> m_otherKeyPairs;
    int m_deviceIndex = 0;
    int m_lightListIndex = -1;  // -1: the device index
    std::filesystem::path m_customEffectFolder;
    std::filesystem::path m_lightConfigLoadedFrom;
};

}  // namespace q840::profile
