#include "PngResource.h"

// GDI+ needs the COM and property types that the lean Windows headers leave out.
#include <objidl.h>
#include <propidl.h>

#include <gdiplus.h>

#include <cstring>

#include "Error.h"
#include "os/win32/ComPtr.h"
#include "os/win32/Handle.h"

namespace wizard {

namespace {

namespace gp = Gdiplus::DllExports;

std::wstring Quoted(const wchar_t* name) {
  return L"\"" + std::wstring(name) + L"\"";
}

[[noreturn]] void ThrowUndecodable(const wchar_t* name) {
  throw OperatorError(L"Изображение " + Quoted(name) +
                      L" из ресурсов программы установки не удалось прочитать.");
}

using GpBitmapOwner = os::win32::UniqueAny<Gdiplus::GpBitmap*, &gp::GdipDisposeImage>;
using GlobalMemory = os::win32::UniqueAny<HGLOBAL, &::GlobalFree>;

// A stream over a copy of the bytes (the stream frees its memory when released).
os::win32::ComPtr<IStream> StreamOver(const std::string& bytes, const wchar_t* name) {
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  void* data = memory.Get() != nullptr ? ::GlobalLock(memory.Get()) : nullptr;
  if (data == nullptr) {
    ThrowUndecodable(name);
  }
  std::memcpy(data, bytes.data(), bytes.size());
  ::GlobalUnlock(memory.Get());
  os::win32::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Put()))) {
    ThrowUndecodable(name);
  }
  memory.Release();
  return stream;
}

// The image as GDI+ decodes it: non-premultiplied ARGB, row by row from the top.
Bitmap32 DecodePngResource(const wchar_t* name) {
  const std::string bytes = LoadResourceBytes(name);
  if (bytes.empty()) {
    ThrowUndecodable(name);
  }
  // The stream must outlive the bitmap: GDI+ reads from it until the bitmap is disposed.
  os::win32::ComPtr<IStream> stream = StreamOver(bytes, name);
  Gdiplus::GpBitmap* decoded = nullptr;
  const Gdiplus::GpStatus status = gp::GdipCreateBitmapFromStream(stream.Get(), &decoded);
  const GpBitmapOwner bitmap(decoded);
  if (status != Gdiplus::Ok || !bitmap) {
    ThrowUndecodable(name);
  }
  UINT width = 0;
  UINT height = 0;
  if (gp::GdipGetImageWidth(bitmap.Get(), &width) != Gdiplus::Ok ||
      gp::GdipGetImageHeight(bitmap.Get(), &height) != Gdiplus::Ok || width == 0 || height == 0) {
    ThrowUndecodable(name);
  }
  Bitmap32 result;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.pixels.resize(static_cast<std::size_t>(width) * height);

  // GDI+ converts into our own buffer: the stride is ours and every row is 4 * width bytes.
  Gdiplus::BitmapData data{};
  data.Width = width;
  data.Height = height;
  data.Stride = static_cast<INT>(width * 4);
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = result.pixels.data();
  const Gdiplus::GpRect rect(0, 0, result.width, result.height);
  if (gp::GdipBitmapLockBits(bitmap.Get(), &rect,
                             Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                             PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    ThrowUndecodable(name);
  }
  gp::GdipBitmapUnlockBits(bitmap.Get(), &data);
  return result;
}

}  // namespace

GdiPlusSession::GdiPlusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) {
    throw OperatorError(
        L"Не удалось запустить GDI+: изображения программы установки не могут быть показаны.");
  }
}

GdiPlusSession::~GdiPlusSession() {
  Gdiplus::GdiplusShutdown(token_);
}

std::string LoadResourceBytes(const wchar_t* name) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC resource = ::FindResourceW(module, name, RT_RCDATA);
  const HGLOBAL loaded = resource != nullptr ? ::LoadResource(module, resource) : nullptr;
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) {
    throw OperatorError(L"В программе установки нет ресурса " + Quoted(name) + L".");
  }
  return std::string(static_cast<const char*>(data), ::SizeofResource(module, resource));
}

Bitmap32 LoadPngResource(const wchar_t* name) {
  Bitmap32 bitmap = DecodePngResource(name);
  for (std::uint32_t& pixel : bitmap.pixels) {
    pixel = BlendOverWhite(static_cast<std::uint8_t>(pixel >> 16),
                           static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel),
                           static_cast<std::uint8_t>(pixel >> 24));
  }
  return bitmap;
}

Artwork LoadArtwork() {
  Artwork art;
  art.BG_bmp = LoadPngResource(L"BACKGROUND");
  art.Panels_bmp = LoadPngResource(L"MAIN");
  art.Logo_bmp = LoadPngResource(L"LOGO");
  art.Title_pnl_l_bmp = LoadPngResource(L"TITLE_PNL_L");
  art.Title_pnl_r_bmp = LoadPngResource(L"TITLE_PNL_R");
  art.Title_pnl_m_bmp = LoadPngResource(L"TITLE_PNL_M");
  art.Title_bmp = LoadPngResource(L"TITLE");
  return art;
}

std::vector<Bitmap32> LoadGlyphs() {
  std::vector<Bitmap32> glyphs;
  for (const wchar_t* name : {L"GLYPH0", L"GLYPH1", L"GLYPH2", L"GLYPH3"}) {
    glyphs.push_back(DecodePngResource(name));
  }
  return glyphs;
}

}  // namespace wizard
