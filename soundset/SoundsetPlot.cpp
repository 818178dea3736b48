// Drawn with cairo on an image surface; five columns, a waveform above a spectrum in each.
#include "SoundsetPlot.h"

#include "DrumHit.h"
#include "HitFigures.h"
#include "Spectrum.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace stk {

namespace {

struct Box {
  double x, y, w, h;
};

const double kLowHz = 20, kHighHz = 20000; // the spectrum's frequency axis, logarithmic
const double kDbRange = 80;                // the spectrum shows this much below its top

void text(cairo_t* cr, double x, double y, double size, const std::string& line) {
  cairo_set_font_size(cr, size);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, line.c_str());
}

void frame(cairo_t* cr, const Box& box) {
  cairo_set_source_rgb(cr, 0.97, 0.97, 0.95);
  cairo_rectangle(cr, box.x, box.y, box.w, box.h);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// Min .. max of the samples under each pixel column, and the RMS envelope times sqrt 2 (a
// sine's peak) on both sides.
void drawWave(cairo_t* cr, const Box& box, const float* hit, size_t count) {
  frame(cr, box);
  const double middle = box.y + box.h / 2, half = box.h / 2 * 0.95;
  cairo_set_source_rgb(cr, 0.15, 0.3, 0.55);
  const int columns = std::max(1, static_cast<int>(box.w));
  for (int c = 0; c < columns; ++c) {
    size_t from = count * c / columns, to = std::max(from + 1, count * (c + 1) / columns);
    float low = 0, high = 0;
    for (size_t n = from; n < std::min(to, count); ++n) {
      low = std::min(low, hit[n]);
      high = std::max(high, hit[n]);
    }
    cairo_move_to(cr, box.x + c + 0.5, middle - high * half);
    cairo_line_to(cr, box.x + c + 0.5, middle - low * half + 0.5);
  }
  cairo_stroke(cr);
  std::vector<double> envelope = HitFigures::rmsEnvelope(
      hit, count, static_cast<size_t>(HitFigures::kEnvelopeSeconds * DrumHit::kRate));
  cairo_set_source_rgb(cr, 0.85, 0.25, 0.1);
  cairo_set_line_width(cr, 1.5);
  for (int sign : {1, -1}) {
    for (int c = 0; c < columns; ++c) {
      double level =
          count ? envelope[std::min(count - 1, count * c / columns)] * std::sqrt(2.0) : 0;
      double y = middle - sign * std::min(level, 1.0) * half;
      c == 0 ? cairo_move_to(cr, box.x + c, y) : cairo_line_to(cr, box.x + c, y);
    }
    cairo_stroke(cr);
  }
}

// The power spectrum of the hit's first 100 ms in dB over a logarithmic frequency axis.
void drawSpectrum(cairo_t* cr, const Box& box, const float* hit, size_t count) {
  frame(cr, box);
  Spectrum spectrum(HitFigures::kFftSize);
  std::vector<double> power = spectrum.power(
      hit, std::min(count, static_cast<size_t>(HitFigures::kBodySeconds * DrumHit::kRate)));
  double top = *std::max_element(power.begin(), power.end());
  if (!(top > 0)) return;
  const double span = std::log(kHighHz / kLowHz);
  cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
  cairo_set_line_width(cr, 1);
  for (double hz : {100.0, 1000.0, 10000.0}) {
    double x = box.x + box.w * std::log(hz / kLowHz) / span;
    cairo_move_to(cr, x, box.y);
    cairo_line_to(cr, x, box.y + box.h);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
    text(cr, x + 2, box.y + box.h - 3, 9, hz < 1000 ? "100" : hz < 10000 ? "1k" : "10k");
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
  }
  cairo_set_source_rgb(cr, 0.1, 0.45, 0.25);
  cairo_set_line_width(cr, 1.2);
  bool started = false;
  for (size_t k = 1; k < power.size(); ++k) {
    double hz = spectrum.binHz(k, DrumHit::kRate);
    if (hz < kLowHz || hz > kHighHz) continue;
    double db = std::max(10 * std::log10(power[k] / top + 1e-30), -kDbRange);
    double x = box.x + box.w * std::log(hz / kLowHz) / span;
    double y = box.y + box.h * (-db / kDbRange);
    started ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
    started = true;
  }
  cairo_stroke(cr);
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::vector<unsigned char> SoundsetPlot::png(const Soundset& soundset, unsigned seed,
                                             const std::string& title, int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

  const double margin = std::max(6.0, width / 100.0), titleSize = std::max(10.0, height / 36.0);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  text(cr, margin, margin + titleSize, titleSize, title);
  const double top = margin * 2 + titleSize * 2.6;
  const double columnWidth = (width - margin) / SoundsetFormat::kDrums;
  const double panelHeight = (height - top - margin * 2) / 2;
  static const char* const roles[] = {"kick", "snare", "clap/rim", "closed hat", "open hat"};
  for (int drum = 0; drum < SoundsetFormat::kDrums; ++drum) {
    std::vector<float> signal = DrumHit::render(soundset, drum, seed);
    HitFigures figures = HitFigures::measure(signal, DrumHit::kRate);
    size_t start = HitFigures::onset(signal);
    size_t shown =
        std::min(signal.size() - start, static_cast<size_t>(kWaveSeconds * DrumHit::kRate));
    const double x = margin + drum * columnWidth, w = columnWidth - margin;
    char label[160];
    std::snprintf(label, sizeof label, "drum %d, note %d: %s", drum, DrumHit::note(drum),
                  roles[drum]);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text(cr, x, top - titleSize * 1.3, titleSize * 0.8, label);
    if (!figures.silent)
      std::snprintf(label, sizeof label, "%.0f Hz, centroid %.0f Hz, %s%.0f ms", figures.pitchHz,
                    figures.centroidHz, figures.fallComplete ? "" : ">",
                    figures.fallSeconds * 1000);
    text(cr, x, top - titleSize * 0.3, titleSize * 0.6, figures.silent ? "silent" : label);
    drawWave(cr, {x, top, w, panelHeight}, signal.data() + start, shown);
    drawSpectrum(cr, {x, top + panelHeight + margin, w, panelHeight}, signal.data() + start,
                 signal.size() - start);
  }
  std::vector<unsigned char> bytes;
  cairo_surface_flush(surface);
  cairo_surface_write_to_png_stream(surface, append, &bytes);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // The font caches that cairo and fontconfig keep for the process's life go with the picture:
  // the tool draws once, and a leak checker then finds nothing held at exit.
  cairo_debug_reset_static_data();
  FcFini();
  return bytes;
}

} // namespace stk
