#pragma once
// A stand-in for mciSendCommand that records every command as a line of text
// and answers from a scripted drive.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "mci_api.h"

class RecordingMci : public ztp::MciApi {
public:
    // The scripted drive.
    DWORD mode = MCI_MODE_STOP;
    std::vector<DWORD> trackLengths;  // MSF-packed
    DWORD discLength = 0;
    DWORD position = 0;  // TMSF
    std::map<DWORD, DWORD> caps{{MCI_GETDEVCAPS_CAN_PLAY, 1},
                                {MCI_GETDEVCAPS_CAN_EJECT, 1},
                                {MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_CD_AUDIO}};
    MCIDEVICEID id = 7;
    // Commands (as recorded) that fail with the given code.
    std::map<std::string, MCIERROR> failures;
    std::map<MCIERROR, std::string> texts;

    std::vector<std::string> calls;

    MCIERROR sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) override {
        const std::string line = describe(device, msg, flags, params);
        calls.push_back(line);
        if (auto it = failures.find(line); it != failures.end()) return it->second;
        answer(msg, flags, params);
        return 0;
    }
    bool errorText(MCIERROR code, std::string& text) override {
        auto it = texts.find(code);
        if (it == texts.end()) return false;
        text = it->second;
        return true;
    }

private:
    static std::string hex(DWORD v) {
        char b[16];
        std::snprintf(b, sizeof b, "%08X", static_cast<unsigned>(v));
        return b;
    }

    static std::string itemName(UINT msg, DWORD item) {
        if (msg == MCI_STATUS) {
            switch (item) {
                case MCI_STATUS_MODE: return "MODE";
                case MCI_STATUS_LENGTH: return "LENGTH";
                case MCI_STATUS_POSITION: return "POSITION";
                case MCI_STATUS_NUMBER_OF_TRACKS: return "TRACKS";
            }
        } else {
            switch (item) {
                case MCI_GETDEVCAPS_CAN_PLAY: return "CAN_PLAY";
                case MCI_GETDEVCAPS_CAN_RECORD: return "CAN_RECORD";
                case MCI_GETDEVCAPS_CAN_EJECT: return "CAN_EJECT";
                case MCI_GETDEVCAPS_HAS_VIDEO: return "HAS_VIDEO";
                case MCI_GETDEVCAPS_DEVICE_TYPE: return "DEVICE_TYPE";
            }
        }
        return std::to_string(item);
    }

    static std::string describe(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) {
        struct Name {
            DWORD_PTR bit;
            const char* name;
        };
        std::string s;
        std::vector<Name> names{{MCI_NOTIFY, "NOTIFY"},
                                {MCI_WAIT, "WAIT"},
                                {MCI_FROM, "FROM"},
                                {MCI_TO, "TO"},
                                {MCI_TRACK, "TRACK"}};
        switch (msg) {
            case MCI_OPEN:
                s = "OPEN";
                names.push_back({MCI_OPEN_SHAREABLE, "SHAREABLE"});
                names.push_back({MCI_OPEN_TYPE, "TYPE"});
                break;
            case MCI_CLOSE: s = "CLOSE"; break;
            case MCI_STATUS:
                s = "STATUS";
                names.push_back({MCI_STATUS_ITEM, "ITEM"});
                break;
            case MCI_GETDEVCAPS:
                s = "GETDEVCAPS";
                names.push_back({MCI_GETDEVCAPS_ITEM, "ITEM"});
                break;
            case MCI_SET:
                s = "SET";
                names.push_back({MCI_SET_DOOR_OPEN, "DOOR_OPEN"});
                names.push_back({MCI_SET_TIME_FORMAT, "TIME_FORMAT"});
                break;
            case MCI_PLAY: s = "PLAY"; break;
            case MCI_STOP: s = "STOP"; break;
            case MCI_SEEK: s = "SEEK"; break;
            case MCI_WHERE:
                s = "WHERE";
                names.push_back({MCI_ANIM_WHERE_SOURCE, "SOURCE"});
                break;
            default: s = "MSG" + std::to_string(msg);
        }
        if (msg != MCI_OPEN) s += " #" + std::to_string(device);
        std::string f;
        DWORD_PTR rest = flags;
        for (const Name& n : names)
            if (flags & n.bit) {
                f += (f.empty() ? "" : "|") + std::string(n.name);
                rest &= ~n.bit;
            }
        if (rest) f += "|?" + hex(static_cast<DWORD>(rest));
        s += " " + (f.empty() ? std::string("0") : f);
        switch (msg) {
            case MCI_OPEN: {
                auto* p = static_cast<MCI_OPEN_PARMSW*>(params);
                std::string type;
                for (const wchar_t* w = p->lpstrDeviceType; w && *w; ++w)
                    type += static_cast<char>(*w);
                s += " type=" + type + " cb=" + std::to_string(p->dwCallback);
                if (p->lpstrElementName || p->lpstrAlias || p->wDeviceID) s += " dirty";
                break;
            }
            case MCI_STATUS: {
                auto* p = static_cast<MCI_STATUS_PARMS*>(params);
                s += " " + itemName(msg, p->dwItem);
                if (flags & MCI_TRACK) s += " " + std::to_string(p->dwTrack);
                break;
            }
            case MCI_GETDEVCAPS:
                s += " " + itemName(msg, static_cast<MCI_GETDEVCAPS_PARMS*>(params)->dwItem);
                break;
            case MCI_SET:
                if (flags & MCI_SET_TIME_FORMAT)
                    s += " " + std::to_string(static_cast<MCI_SET_PARMS*>(params)->dwTimeFormat);
                break;
            case MCI_PLAY: {
                auto* p = static_cast<MCI_PLAY_PARMS*>(params);
                if (flags & MCI_FROM) s += " " + hex(p->dwFrom);
                s += " cb=" + std::to_string(p->dwCallback);
                break;
            }
            case MCI_SEEK: s += " " + hex(static_cast<MCI_SEEK_PARMS*>(params)->dwTo); break;
        }
        return s;
    }

    void answer(UINT msg, DWORD_PTR flags, void* params) {
        if (msg == MCI_OPEN) static_cast<MCI_OPEN_PARMSW*>(params)->wDeviceID = id;
        if (msg == MCI_GETDEVCAPS) {
            auto* p = static_cast<MCI_GETDEVCAPS_PARMS*>(params);
            p->dwReturn = caps.count(p->dwItem) ? caps[p->dwItem] : 0;
        }
        if (msg != MCI_STATUS) return;
        auto* p = static_cast<MCI_STATUS_PARMS*>(params);
        const bool byTrack = flags & MCI_TRACK;
        switch (p->dwItem) {
            case MCI_STATUS_MODE: p->dwReturn = mode; break;
            case MCI_STATUS_NUMBER_OF_TRACKS:
                p->dwReturn = static_cast<DWORD>(trackLengths.size());
                break;
            case MCI_STATUS_LENGTH:
                p->dwReturn = !byTrack ? discLength
                              : p->dwTrack >= 1 && p->dwTrack <= trackLengths.size()
                                  ? trackLengths[p->dwTrack - 1]
                                  : 0;
                break;
            case MCI_STATUS_POSITION: p->dwReturn = byTrack ? p->dwTrack : position; break;
        }
    }
};
