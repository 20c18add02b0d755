/* Shared pieces of velmora's window tests: the common controls registered
 * as the player registers them, where a centred dialog belongs, a scratch
 * INI file, and movies declaring known frame lengths. */
#ifndef TESTS_WINDOWS_MVE_VELMORA_UI_H
#define TESTS_WINDOWS_MVE_VELMORA_UI_H

#include "velmora_fixture.h"

#include <commctrl.h>

#include <cstdio>

/* The player initialises the common controls before any plug-in walks; the
 * walking window's progress bar needs them. */
inline void RegisterCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
}

/* Where a dialog of the given size belongs: centred over the owner, each
 * axis pushed back inside the work area by one correction. */
inline POINT CentredOver(const RECT &owner, LONG w, LONG h)
{
    const RECT work = WorkArea();
    auto place = [](LONG start, LONG end, LONG size, LONG workStart, LONG workEnd) {
        LONG pos = start + (end - start - size) / 2;
        if (pos < workStart)
            pos = workStart;
        else if (pos + size > workEnd)
            pos = workEnd - size;
        return pos;
    };
    return POINT{place(owner.left, owner.right, w, work.left, work.right),
                 place(owner.top, owner.bottom, h, work.top, work.bottom)};
}

inline void ExpectCentred(const RECT &dialog, const RECT &owner)
{
    const POINT at = CentredOver(owner, dialog.right - dialog.left, dialog.bottom - dialog.top);
    EXPECT_EQ(dialog.left, at.x);
    EXPECT_EQ(dialog.top, at.y);
}

/* A movie whose audio-data opcodes declare these decoded lengths, one per
 * chunk, each with a little audio and a video opcode beside it. */
inline Bytes DeclaringMovie(uint16_t flags, uint16_t rate, const std::vector<uint16_t> &declared)
{
    Bytes file = mvemaker::FileHeader();
    Bytes init;
    mvemaker::AppendOpcode(init, mvemaker::kOpAudioFormat, 1, mvemaker::AudioFormatPayload(flags, rate, 4096));
    mvemaker::AppendChunk(file, mvemaker::kChunkAudioInit, init);
    const Bytes audio(64, 0x80), video(200, 0x11);
    for (uint16_t d : declared) {
        Bytes body;
        mvemaker::AppendOpcode(body, mvemaker::kOpVideoData, 0, video);
        mvemaker::AppendOpcode(body, mvemaker::kOpAudioData, 0,
                               mvemaker::AudioFramePayload(0, 1, d, audio.data(), audio.size()));
        mvemaker::AppendChunk(file, mvemaker::kChunkVideo, body);
    }
    mvemaker::AppendChunk(file, mvemaker::kChunkEnd, {});
    return file;
}

/* A scratch INI file, removed again at the end. */
class ScratchIni {
public:
    ScratchIni()
    {
        char dir[MAX_PATH] = "", file[MAX_PATH] = "";
        GetTempPathA(sizeof dir, dir);
        GetTempFileNameA(dir, "vel", 0, file);
        path_ = file;
    }
    ~ScratchIni() { DeleteFileA(path_.c_str()); }
    const char *path() const { return path_.c_str(); }
    void Write(const std::string &text) const
    {
        if (std::FILE *f = std::fopen(path_.c_str(), "wb")) {
            std::fputs(text.c_str(), f);
            std::fclose(f);
        }
    }
    /* The setting as the file holds it ("<missing>" when absent). */
    std::string NoWalk() const
    {
        char value[64] = "";
        GetPrivateProfileStringA(VELMORA_NAME, "NoWalk", "<missing>", value, sizeof value, path_.c_str());
        return value;
    }

private:
    std::string path_;
};

#endif
