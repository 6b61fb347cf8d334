#include "view/view.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <string>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "model/model.h"
#include "platform/image.h"
#include "platform/scaledimage.h"
#include "platform/texture.h"
#include "view/sprite.h"

namespace {

constexpr uint32_t kClearColour = 0xFFFFFFFF;
constexpr float kLoadingScale = 0.7f;
constexpr char kImageDirectory[] = "./images/";
constexpr char kLoadingPicture[] = "loading2.png";

// The loading picture at the size it is shown: scaled by averaging as it is
// decoded, so the texture made of it is half the size and drawn one to one,
// and no pixel is dropped as sampling the whole picture at 0.7 would.
// Empty when the file cannot be read.
platform::Image ReadLoadingPicture() {
    platform::Image image;
    if (!platform::LoadImageFile(std::string(kImageDirectory) + kLoadingPicture, &image)) {
        return image;
    }
    const auto shown = [](int side) {
        return std::max(1, static_cast<int>(std::lround(static_cast<float>(side) * kLoadingScale)));
    };
    return platform::ScaledImage(image, shown(image.width), shown(image.height));
}

}  // namespace

HRESULT C_View::Init() {
    // The loading picture is decoded while the window and the renderer come
    // up, which on a second processor takes it off the start-up's path.
    std::future<platform::Image> decoding =
        std::async(std::launch::async | std::launch::deferred, ReadLoadingPicture);
    if (FAILED(CreateMainWindow())) {
        return E_FAIL;
    }
    if (FAILED(CreateRenderer())) {
        return E_FAIL;
    }
    // The pointer is a sprite of the game's own.
    device->HideSystemCursor();
    loadingPicture = decoding.get();
    Render();
    // The loading picture is the largest there is: its memory goes before
    // the first screen loads its own pictures.
    if (device) {
        device->ForgetShownFrame();
    }
    initialised = 1;
    return S_OK;
}

HRESULT C_View::CreateMainWindow() {
    device = std::make_unique<platform::Display>();
    if (!device->InitVideo()) {
        DXError("view", __LINE__, 0, "Could not register class.");
        return E_FAIL;
    }
    if (!device->CreateWindow(title, width, height)) {
        DXError("view", __LINE__, 0, "Window not properly created.");
        return E_FAIL;
    }
    // The icon is cosmetic: without its picture the window keeps the default.
    platform::Image icon;
    if (platform::LoadImageFile(std::string(kImageDirectory) + "icon.png", &icon)) {
        device->SetIcon(icon.argb, icon.width, icon.height);
    }
    return S_OK;
}

HRESULT C_View::CreateRenderer() {
    if (!device->CreateRenderer()) {
        DXError("view", __LINE__, E_FAIL, "Could not create Device");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT C_View::Render() {
    if (!device || !device->Clear(kClearColour)) {
        DXError("view", __LINE__, E_FAIL, "Could not clear backbuffer");
        return E_FAIL;
    }
    if (!device->BeginScene()) {
        DXError("view", __LINE__, E_FAIL, "Could not begin scene");
        return E_FAIL;
    }
    if (initialised == 1) {
        // The console lies over everything the model draws, and neither it
        // nor the read-out follows a screen's own transform.
        g_pModel->Render();
        SetDrawTransform(1.0f, 0.0f, 0.0f);
        g_pConsole->Render();
    } else {
        DrawLoadingPicture();
    }
    if (!device->EndScene()) {
        DXError("view", __LINE__, E_FAIL, "Could not end scene");
        return E_FAIL;
    }
    if (!device->Present()) {
        DXError("view", __LINE__, E_FAIL, "Could not Present Backbuffer");
        return E_FAIL;
    }
    return S_OK;
}

bool C_View::Repaint() {
    return device != nullptr && device->PresentAgain();
}

void C_View::DrawLoadingPicture() {
    // Decoded, it is already at the size it is shown. Its pixels go as soon
    // as its texture exists; without them the sprite reads the file itself,
    // and reports it if it cannot.
    const float scale = loadingPicture.argb.empty() ? kLoadingScale : 1.0f;
    C_Sprite loading(kLoadingPicture, std::move(loadingPicture));
    loadingPicture = platform::Image{};
    loading.Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {scale, scale}, 0xFFFFFFFF);
}

void C_View::SetDrawTransform(float scale, float x, float y) {
    platform::SetDrawTransform(scale, x, y);
}
