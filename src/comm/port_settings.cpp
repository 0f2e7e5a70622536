#include "comm/port_settings.h"

#include "settings/ini_file.h"
#include "settings/machine_settings.h"

namespace tolva {

namespace {

template <class T, std::size_t N>
void pick(const MachineSettings& s, const std::pair<const char*, T> (&choices)[N], void (TCommPortDriver::*set)(T),
          TCommPortDriver& d) {
    for (const auto& [name, value] : choices)
        if (s.Flag(name)) {
            (d.*set)(value);
            return;
        }
}

}  // namespace

void ConfigurePort(TCommPortDriver& d, const MachineSettings& s) {
    if (s.Int("BufferSpinEdit1") > 1) d.SetComPortInBufSize(static_cast<std::uint32_t>(s.Int("BufferSpinEdit1")) * 1024u);

    static const std::pair<const char*, TComPortNumber> ports[] = {
        {"RadioButton14", pnCOM1}, {"RadioButton15", pnCOM2}, {"RadioButton22", pnCOM3}, {"RadioButton23", pnCOM4}};
    pick(s, ports, &TCommPortDriver::SetComPort, d);
    static const std::pair<const char*, TComPortBaudRate> speeds[] = {
        {"RadioButton1", br300},   {"RadioButton2", br600},   {"RadioButton3", br1200},  {"RadioButton4", br2400},
        {"RadioButton5", br4800},  {"RadioButton6", br9600},  {"RadioButton24", br14400}, {"RadioButton7", br19200},
        {"RadioButton25", br38400}, {"RadioButton26", br56000}};
    pick(s, speeds, &TCommPortDriver::SetComPortSpeed, d);
    static const std::pair<const char*, TComPortParity> parities[] = {
        {"RadioButton8", ptNONE}, {"RadioButton9", ptEVEN}, {"RadioButton10", ptODD}};
    pick(s, parities, &TCommPortDriver::SetComPortParity, d);
    static const std::pair<const char*, TComPortHwHandshaking> hw[] = {
        {"RadioButton11", hhNONE}, {"RadioButton20", hhRTSCTS}, {"RadioButton21", hhNONE}, {"RadioButton28", hhRTSCTS}};
    pick(s, hw, &TCommPortDriver::SetComPortHwHandshaking, d);
    static const std::pair<const char*, TComPortSwHandshaking> sw[] = {
        {"RadioButton11", shNONE}, {"RadioButton20", shNONE}, {"RadioButton21", shXONXOFF}, {"RadioButton28", shXONXOFF}};
    pick(s, sw, &TCommPortDriver::SetComPortSwHandshaking, d);
    static const std::pair<const char*, TComPortDataBits> data[] = {{"RadioButton18", db8BITS}, {"RadioButton19", db7BITS}};
    pick(s, data, &TCommPortDriver::SetComPortDataBits, d);
    static const std::pair<const char*, TComPortStopBits> stops[] = {
        {"RadioButton12", sb1BITS}, {"RadioButton13", sb2BITS}, {"RadioButton27", sb1HALFBITS}};
    pick(s, stops, &TCommPortDriver::SetComPortStopBits, d);
    d.SetOutputTimeout(s.Int("OutputTimeoutSpinEdit") * 1000);

    IniFile ini;
    if (!s.MachineFile().empty()) ini.Load(s.MachineFile());
    for (int port = 0; port < 4; ++port)
        d.SetDeviceName(static_cast<TComPortNumber>(port), ini.ReadString("Com Port", "Device" + std::to_string(port + 1), ""));
}

std::string ConnectFailureText(const TCommPortDriver& driver) {
    std::string text = kConnectFailed;
    if (!driver.LastError().empty()) text += " (" + driver.LastError() + ")";
    return text;
}

}  // namespace tolva
