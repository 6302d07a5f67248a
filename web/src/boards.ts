// The programmer boards the page can reach: serial ports the user granted
// through Web Serial (navigator.serial), and a simulated board (km640-sim
// --websocket) on this computer. The pager operations open a board by name;
// the line (serialChannel.js) turns the name into a Web Serial port or a
// WebSocket.

import { SerialLine, webSerialTransport, webSocketTransport, type LineOptions } from "../port/serialChannel.js";

interface PortInfo {
  usbVendorId?: number;
  usbProductId?: number;
}

export interface WebSerialPort extends EventTarget {
  getInfo(): PortInfo;
}

interface WebSerial extends EventTarget {
  requestPort(options?: object): Promise<WebSerialPort>;
  getPorts(): Promise<WebSerialPort[]>;
}

export const defaultSimulatorPort = 8641;

// The address of a simulated board on this computer.
export function simulatorAddress(port: number): string {
  return `ws://127.0.0.1:${port}`;
}

function hex(n: number | undefined): string {
  return (n ?? 0).toString(16).padStart(4, "0");
}

export class Boards {
  readonly line: SerialLine;
  private ports = new Map<string, WebSerialPort>();

  constructor() {
    this.line = new SerialLine((name, options, line) => this.connect(name, options, line));
  }

  static get serial(): WebSerial | undefined {
    return (navigator as unknown as { serial?: WebSerial }).serial;
  }

  // Calls back when a granted port is plugged in or unplugged.
  watch(changed: () => void): void {
    Boards.serial?.addEventListener("connect", changed);
    Boards.serial?.addEventListener("disconnect", changed);
  }

  // The names of the ports the user allowed this page, now or on an earlier
  // visit, that are plugged in.
  async granted(): Promise<string[]> {
    const ports = (await Boards.serial?.getPorts().catch(() => [])) ?? [];
    this.ports.clear();
    ports.forEach((port, i) => {
      const info = port.getInfo();
      const usb = info.usbVendorId === undefined ? "" : ` (USB ${hex(info.usbVendorId)}:${hex(info.usbProductId)})`;
      this.ports.set(`Serial port ${i + 1}${usb}`, port);
    });
    return [...this.ports.keys()];
  }

  // The browser's own question which port to allow; the name of the port
  // chosen, or nothing when the user cancelled.
  async request(): Promise<string | undefined> {
    let chosen: WebSerialPort;
    try {
      chosen = (await Boards.serial?.requestPort()) as WebSerialPort;
    } catch {
      return undefined;
    }
    const names = await this.granted();
    return names.find((name) => this.ports.get(name) === chosen);
  }

  private connect(name: string, options: LineOptions, line: SerialLine) {
    if (name.startsWith("ws://")) return webSocketTransport(name, line);
    const port = this.ports.get(name);
    if (!port) return Promise.reject(new Error(`${name} is not plugged in`));
    return webSerialTransport(port, options, line);
  }
}
