#include "mime_table.h"

#include <fstream>
#include <sstream>

namespace bookloom {

namespace {

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

}  // namespace

const std::vector<std::string>& TMimeTable::BuiltinLines() {
  static const std::vector<std::string> lines = {
      ".aiff=audio/x-aiff", ".au=audio/basic", ".mid=midi/mid",
      ".mp3=audio/x-mpg", ".m3u=audio/x-mpegurl", ".qcp=audio/vnd.qcelp",
      ".ra=audio/x-realaudio", ".wav=audio/x-wav", ".gsm=audio/x-gsm",
      ".wax=audio/x-ms-wax", ".wma=audio/x-ms-wma", ".ram=audio/x-pn-realaudio",
      ".mjf=audio/x-vnd.AudioExplosion.MjuiceMediaFile", ".bmp=image/bmp", ".gif=image/gif",
      ".jpg=image/jpeg", ".jpeg=image/jpeg", ".jpe=image/jpeg",
      ".pict=image/x-pict", ".png=image/x-png", ".svg=image/svg-xml",
      ".tif=image/x-tiff", ".rf=image/vnd.rn-realflash", ".rp=image/vnd.rn-realpix",
      ".ico=image/x-icon", ".art=image/x-jg", ".pntg=image/x-macpaint",
      ".qtif=image/x-quicktime", ".sgi=image/x-sgi", ".targa=image/x-targa",
      ".xbm=image/xbm", ".psd=image/x-psd", ".pnm=image/x-portable-anymap",
      ".pbm=image/x-portable-bitmap", ".pgm=image/x-portable-graymap", ".ppm=image/x-portable-pixmap",
      ".rgb=image/x-rgb", ".xbm=image/x-xbitmap", ".xpm=image/x-xpixmap",
      ".xwd=image/x-xwindowdump", ".323=text/h323", ".xml=text/xml",
      ".uls=text/iuls", ".txt=text/plain", ".rtx=text/richtext",
      ".wsc=text/scriptlet", ".rt=text/vnd.rn-realtext", ".htt=text/webviewhtml",
      ".htc=text/x-component", ".vcf=text/x-vcard", ".avi=video/x-msvideo",
      ".flc=video/flc", ".mpeg=video/x-mpeg2a", ".mov=video/quicktime",
      ".rv=video/vnd.rn-realvideo", ".ivf=video/x-ivf", ".wm=video/x-ms-wm",
      ".wmp=video/x-ms-wmp", ".wmv=video/x-ms-wmv", ".wmx=video/x-ms-wmx",
      ".wvx=video/x-ms-wvx", ".rms=video/vnd.rn-realvideo-secure", ".asx=video/x-ms-asf-plugin",
      ".movie=video/x-sgi-movie", ".wmd=application/x-ms-wmd", ".wms=application/x-ms-wms",
      ".wmz=application/x-ms-wmz", ".p12=application/x-pkcs12", ".p7b=application/x-pkcs7-certificates",
      ".p7r=application/x-pkcs7-certreqresp", ".qtl=application/x-quicktimeplayer", ".rtsp=application/x-rtsp",
      ".swf=application/x-shockwave-flash", ".sit=application/x-stuffit", ".tar=application/x-tar",
      ".man=application/x-troff-man", ".urls=application/x-url-list", ".zip=application/x-zip-compressed",
      ".cdf=application/x-cdf", ".fml=application/x-file-mirror-list", ".fif=application/fractals",
      ".spl=application/futuresplash", ".hta=application/hta", ".hqx=application/mac-binhex40",
      ".doc=application/msword", ".pdf=application/pdf", ".p10=application/pkcs10",
      ".p7m=application/pkcs7-mime", ".p7s=application/pkcs7-signature", ".cer=application/x-x509-ca-cert",
      ".crl=application/pkix-crl", ".ps=application/postscript", ".sdp=application/x-sdp",
      ".setpay=application/set-payment-initiation", ".setreg=application/set-registration-initiation", ".smil=application/smil",
      ".ssm=application/streamingmedia", ".xfdf=application/vnd.adobe.xfdf", ".fdf=application/vnd.fdf",
      ".xls=application/x-msexcel", ".sst=application/vnd.ms-pki.certstore", ".pko=application/vnd.ms-pki.pko",
      ".cat=application/vnd.ms-pki.seccat", ".stl=application/vnd.ms-pki.stl", ".rmf=application/vnd.rmf",
      ".rm=application/vnd.rn-realmedia", ".rnx=application/vnd.rn-realplayer", ".rjs=application/vnd.rn-realsystem-rjs",
      ".rmx=application/vnd.rn-realsystem-rmx", ".rmp=application/vnd.rn-rn_music_package", ".rsml=application/vnd.rn-rsml",
      ".vsl=application/x-cnet-vsl", ".z=application/x-compress", ".tgz=application/x-compressed",
      ".dir=application/x-director", ".gz=application/x-gzip", ".uin=application/x-icq",
      ".hpf=application/x-icq-hpf", ".pnq=application/x-icq-pnq", ".scm=application/x-icq-scm",
      ".ins=application/x-internet-signup", ".iii=application/x-iphone", ".latex=application/x-latex",
      ".nix=application/x-mix-transfer", ".wbmp=image/vnd.wap.wbmp", ".wml=text/vnd.wap.wml",
      ".wmlc=application/vnd.wap.wmlc", ".wmls=text/vnd.wap.wmlscript", ".wmlsc=application/vnd.wap.wmlscriptc",
      ".css=text/css", ".htm=text/html", ".html=text/html",
      ".xhtml=text/html", ".js=application/javascript", ".shtml=server-parsed-html",
      ".xml=text/xml", ".sgm=text/sgml", ".sgml=text/sgml",
  };
  return lines;
}

TMimeTable TMimeTable::CreateDefault(const std::string& mimeTypesPath) {
  TMimeTable t;
  for (const auto& line : BuiltinLines()) t.AddLine(line);
  if (!mimeTypesPath.empty()) t.LoadSystemTypes(mimeTypesPath);
  return t;
}

void TMimeTable::AddLine(std::string line) { fLines.push_back(std::move(line)); }

void TMimeTable::Set(std::string_view key, std::string_view value) {
  for (auto& line : fLines) {
    std::size_t eq = line.find('=');
    if (eq != std::string::npos && SameAscii(std::string_view(line).substr(0, eq), key)) {
      line = std::string(key) + "=" + std::string(value);
      return;
    }
  }
  fLines.push_back(std::string(key) + "=" + std::string(value));
}

std::string TMimeTable::Lookup(std::string_view key, bool* found) const {
  for (const auto& line : fLines) {
    std::size_t eq = line.find('=');
    if (eq != std::string::npos && SameAscii(std::string_view(line).substr(0, eq), key)) {
      if (found) *found = true;
      return line.substr(eq + 1);
    }
  }
  if (found) *found = false;
  return {};
}

// The system list plays the part of the per-extension content types of a
// file-type registry: every extension it names takes its content type.
bool TMimeTable::LoadSystemTypes(const std::string& path) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string type, ext;
    if (!(words >> type) || type.find('/') == std::string::npos) continue;
    while (words >> ext) Set("." + ext, type);
  }
  return true;
}

}  // namespace bookloom
