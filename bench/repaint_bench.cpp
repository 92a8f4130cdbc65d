// Full repaints of a window built like the installing page: an 800x550 layered window with a
// 4000-unit picture strip that moves every frame, a status line, the percent badge and the
// progress bar. Prints milliseconds per frame (median of many) and the frames per second that
// allows, at 100 and 200 percent: once for drawing the tree into memory, once for the whole
// repaint through WM_PAINT up to UpdateLayeredWindow, and the repaint after a step of the
// progress bar, which draws and presents only the bar.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "skinui/control/uiprogress.h"
#include "skinui/testing/skin_test_window.h"

namespace {

using namespace SkinUI;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 200;

// A smooth illustration-like picture, different for each seed.
std::string Illustration(int width, int height, int seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t r = static_cast<uint32_t>((x * 255 / width + seed * 40) & 0xFF);
      const uint32_t g = static_cast<uint32_t>((y * 255 / height + seed * 70) & 0xFF);
      const uint32_t b = static_cast<uint32_t>(((x + y) * 255 / (width + height) + seed * 20) & 0xFF);
      pixels[static_cast<size_t>(y) * width + x] = 0xFF000000 | r << 16 | g << 8 | b;
    }
  }
  return PngFromPixels(width, height, pixels);
}

std::vector<ZipEntrySpec> BenchArchive() {
  std::vector<ZipEntrySpec> entries;
  for (int factor = 1; factor <= 2; ++factor) {
    const std::string suffix = factor == 1 ? "" : "@2x";
    for (int i = 1; i <= 4; ++i) {
      entries.push_back({"neirong" + std::to_string(i) + suffix + ".png", Illustration(800 * factor, 549 * factor, i)});
    }
    entries.push_back({"jindu" + suffix + ".png", SolidPng(50 * factor, 23 * factor, 0xE0FF6A3D)});
    std::vector<uint32_t> bar(static_cast<size_t>(10 * factor) * 12 * factor, 0xFFE8E8E8);
    std::fill(bar.begin(), bar.begin() + static_cast<ptrdiff_t>(bar.size() / 2), 0xFFFF6A3D);
    entries.push_back({"jindu-2" + suffix + ".png", PngFromPixels(10 * factor, 12 * factor, bar)});
  }
  return entries;
}

constexpr wchar_t kInstallingPage[] =
    L"<Window size=\"800,550\" bktrans=\"true\"><Font id=\"6\" name=\"Microsoft Yahei\" size=\"14\" bold=\"true\"/>"
    L"<VerticalLayout bkcolor=\"#ffffffff\" inset=\"1,1,1,1\" width=\"4000\">"
    L"<HorizontalLayout name=\"Hor_move\" height=\"550\" width=\"4000\">"
    L"<HorizontalLayout width=\"800\" bkimage=\"file='neirong1.png' fade='255'\"/>"
    L"<HorizontalLayout width=\"800\" bkimage=\"file='neirong2.png' fade='255'\"/>"
    L"<HorizontalLayout width=\"800\" bkimage=\"file='neirong3.png' fade='255'\"/>"
    L"<HorizontalLayout width=\"800\" bkimage=\"file='neirong4.png' fade='255'\"/>"
    L"<HorizontalLayout width=\"800\" bkimage=\"file='neirong1.png' fade='255'\"/></HorizontalLayout>"
    L"<VerticalLayout padding=\"0,-120,0,0\" bkcolor=\"#ffffffff\" width=\"800\">"
    L"<HorizontalLayout padding=\"40,25,0,0\"><Label text=\"正在安装，请稍候...\" font=\"6\"/></HorizontalLayout>"
    L"<HorizontalLayout height=\"23\" width=\"50\" float=\"true\" pos=\"15,50,65,74\"><Label text=\"50%\" "
    L"textcolor=\"#ffffffff\" align=\"center\" textpadding=\"0,0,0,6\" bkimage=\"file='jindu.png'\"/></HorizontalLayout>"
    L"<HorizontalLayout height=\"50\" padding=\"0,25,0,0\"><Control/><Slider name=\"slider\" height=\"6\" value=\"500\" max=\"1000\" "
    L"width=\"720\" foreimage=\"file='jindu-2.png' source='0,0,10,6' corner='3,0,3,0'\" "
    L"bkimage=\"file='jindu-2.png' source='0,6,10,12' corner='3,0,3,0'\" bkcolor=\"#FFD8D8D8\"/><Control/>"
    L"</HorizontalLayout></VerticalLayout></VerticalLayout></Window>";

double MedianMs(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Moves the strip as the carousel does, so that every frame shows other pixels.
void StepStrip(CControlUI& strip, int frame, int scale) {
  RECT pos = strip.GetPos();
  const int step = (frame % 100 == 99) ? 99 * 8 * scale / 100 : -8 * scale / 100;
  OffsetRect(&pos, step, 0);
  strip.SetPos(pos);
}

void Measure(int scale) {
  TestSkinWindow window(kInstallingPage);
  if (!window.CreateHidden()) {
    std::printf("the window could not be created\n");
    return;
  }
  window.GetManager().SetScale(scale);
  RECT client{};
  GetClientRect(window.GetHWND(), &client);
  CControlUI* strip = window.Find(L"Hor_move");
  std::vector<uint32_t> frame(static_cast<size_t>(client.right) * client.bottom);
  window.GetManager().RenderTo(frame.data(), client.right, client.bottom);  // pictures loaded, laid out

  std::vector<double> render;
  for (int i = 0; i < kFrames; ++i) {
    StepStrip(*strip, i, scale);
    const auto start = Clock::now();
    window.GetManager().RenderTo(frame.data(), client.right, client.bottom);
    render.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }

  ShowWindow(window.GetHWND(), SW_SHOWNOACTIVATE);
  UpdateWindow(window.GetHWND());
  std::vector<double> repaint;
  for (int i = 0; i < kFrames; ++i) {
    StepStrip(*strip, i, scale);
    const auto start = Clock::now();
    RedrawWindow(window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    repaint.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  // What a progress message changes: the bar alone.
  auto* slider = static_cast<CSliderUI*>(window.Find(L"slider"));
  std::vector<double> progress;
  for (int i = 0; i < kFrames; ++i) {
    slider->SetValue(i * 5);
    const auto start = Clock::now();
    RedrawWindow(window.GetHWND(), nullptr, nullptr, RDW_UPDATENOW);
    progress.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  const double render_ms = MedianMs(render);
  const double repaint_ms = MedianMs(repaint);
  const double progress_ms = MedianMs(progress);
  std::printf("%3d %%  %ldx%ld  draw %.2f ms/frame (%.0f fps)  repaint with UpdateLayeredWindow %.2f ms/frame "
              "(%.0f fps)  progress step %.2f ms\n",
              scale, client.right, client.bottom, render_ms, 1000.0 / render_ms, repaint_ms, 1000.0 / repaint_ms,
              progress_ms);
}

}  // namespace

int main() {
  SetProcessDPIAware();
  CSkinManagerUI::SetInstance(GetModuleHandleW(nullptr));
  AttachTestArchive(BenchArchive());
  std::printf("repaint of an 800x550 layered installing page, median of %d frames\n", kFrames);
  Measure(100);
  Measure(200);
  return 0;
}
