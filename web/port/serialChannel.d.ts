// The line's types for the page's TypeScript (serialChannel.js is plain
// JavaScript so that node runs it as it is).

export interface LineOptions {
  baudRate: number;
  dataBits: number;
  parity: string;
  stopBits: number;
}

export interface Transport {
  write(bytes: Uint8Array): Promise<unknown>;
  close(): Promise<void>;
}

export const boardLineOptions: LineOptions;

export class SerialLine {
  constructor(connect: (name: string, options: LineOptions, line: SerialLine) => Promise<Transport>);
  lastError: unknown;
  open(name: string, options: LineOptions): Promise<number>;
  close(): Promise<void>;
  receive(bytes: Uint8Array): void;
  fail(reason?: unknown): void;
}

export function webSocketTransport(url: string, line: SerialLine, WebSocketClass?: typeof WebSocket): Promise<Transport>;
export function webSerialTransport(port: unknown, options: LineOptions, line: SerialLine): Promise<Transport>;
