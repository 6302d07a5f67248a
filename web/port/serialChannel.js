// The line between the pager operations (compiled to WebAssembly) and the
// programmer board: bytes from the board wait here until the operations take
// them, and the operations' writes go out through the transport the line was
// opened with (a Web Serial port, or a WebSocket to km640-sim). Install a
// SerialLine as `Module.km640Line` of the WebAssembly module.
//
// Waits are promises resolved by the bytes' arrival or a timer; nothing here
// polls.

// The options of the programmer board's line: 9600 baud, 8 data bits, no
// parity, 1 stop bit (the operations pass them when they open the port).
export const boardLineOptions = { baudRate: 9600, dataBits: 8, parity: "none", stopBits: 1 };

export class SerialLine {
  // connect(name, options, line) opens the named port and resolves with a
  // transport { write(bytes) -> Promise, close() -> Promise } that hands
  // received bytes to line.receive() and a failure to line.fail().
  constructor(connect) {
    this.connect = connect;
    this.transport = null;
    this.chunks = [];
    this.size = 0;
    this.failure = null;
    this.wake = null;
    this.lastError = null;
  }

  // 0 when the port is open, -1 when it cannot be opened (lastError says why).
  async open(name, options) {
    this.clear();
    this.failure = null;
    try {
      this.transport = await this.connect(name, options, this);
      return 0;
    } catch (error) {
      this.lastError = error;
      this.transport = null;
      return -1;
    }
  }

  async close() {
    const transport = this.transport;
    this.transport = null;
    this.clear();
    if (transport) {
      try {
        await transport.close();
      } catch (error) {
        // A port that is gone is closed as far as anybody can tell.
        this.lastError = error;
      }
    }
  }

  // Resolves with the number of bytes written, 0 when the transport did not
  // take them within timeoutMs, -1 when the line failed.
  async write(bytes, timeoutMs) {
    if (!this.transport || this.failure) return -1;
    let timer;
    const late = new Promise((resolve) => { timer = setTimeout(() => resolve(0), timeoutMs); });
    try {
      return await Promise.race([this.transport.write(bytes).then(() => bytes.length), late]);
    } catch (error) {
      this.fail(error);
      return -1;
    } finally {
      clearTimeout(timer);
    }
  }

  // From the transport: bytes that arrived.
  receive(bytes) {
    if (!this.transport || bytes.length === 0) return;
    this.chunks.push(bytes);
    this.size += bytes.length;
    this.notify();
  }

  // From the transport: the port is gone (unplugged, closed by the board's side).
  fail(reason) {
    if (!this.failure) this.failure = reason || new Error("the line failed");
    this.lastError = this.failure;
    this.notify();
  }

  // Bytes waiting; -1 when none wait and the line failed.
  pending() {
    if (this.size > 0) return this.size;
    return this.failure ? -1 : 0;
  }

  take(count) {
    const out = new Uint8Array(Math.min(count, this.size));
    let filled = 0;
    while (filled < out.length) {
      const chunk = this.chunks[0];
      const part = Math.min(chunk.length, out.length - filled);
      out.set(chunk.subarray(0, part), filled);
      filled += part;
      if (part === chunk.length) this.chunks.shift();
      else this.chunks[0] = chunk.subarray(part);
    }
    this.size -= filled;
    return out;
  }

  clear() {
    this.chunks = [];
    this.size = 0;
  }

  // Resolves with pending() as soon as a byte waits or the line failed, else
  // after timeoutMs.
  waitForInput(timeoutMs) {
    if (this.pending() !== 0) return Promise.resolve(this.pending());
    return new Promise((resolve) => {
      const timer = setTimeout(() => {
        this.wake = null;
        resolve(this.pending());
      }, timeoutMs);
      this.wake = () => {
        clearTimeout(timer);
        this.wake = null;
        resolve(this.pending());
      };
    });
  }

  notify() {
    if (this.wake) this.wake();
  }
}

// A simulated board: km640-sim --websocket. WebSocketClass is the browser's
// WebSocket, or the `ws` package's under node.
export function webSocketTransport(url, line, WebSocketClass = globalThis.WebSocket) {
  return new Promise((resolve, reject) => {
    const socket = new WebSocketClass(url);
    socket.binaryType = "arraybuffer";
    let opened = false;
    socket.onopen = () => {
      opened = true;
      resolve({
        write: async (bytes) => socket.send(bytes),
        close: () => new Promise((done) => {
          if (socket.readyState === 3) return done();
          socket.onclose = () => done();
          socket.close();
        }),
      });
    };
    socket.onmessage = (event) => line.receive(new Uint8Array(event.data));
    socket.onerror = () => {
      if (!opened) reject(new Error(`cannot connect to ${url}`));
    };
    socket.onclose = (event) => {
      if (!opened) reject(new Error(`cannot connect to ${url}`));
      else line.fail(new Error(`the board at ${url} closed the line (${event.code} ${event.reason || ""})`.trim()));
    };
  });
}

// A programmer board on a serial port the user granted through Web Serial
// (navigator.serial). Received bytes are read as the port delivers them, in
// whatever chunks; a port unplugged in the middle (its disconnect event, or
// its stream failing) fails the line.
export async function webSerialTransport(port, options, line) {
  await port.open({ baudRate: options.baudRate, dataBits: options.dataBits, parity: options.parity,
                    stopBits: options.stopBits, flowControl: "none" });
  const writer = port.writable.getWriter();
  const reader = port.readable.getReader();
  let closing = false;
  const unplugged = () => {
    if (!closing) line.fail(new Error("the serial port was unplugged"));
  };
  port.addEventListener?.("disconnect", unplugged);
  const reading = (async () => {
    try {
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        if (value) line.receive(value);
      }
      if (!closing) line.fail(new Error("the serial port stopped delivering bytes"));
    } catch (error) {
      if (!closing) line.fail(error);
    } finally {
      reader.releaseLock();
    }
  })();
  return {
    write: (bytes) => writer.write(bytes),
    close: async () => {
      closing = true;
      port.removeEventListener?.("disconnect", unplugged);
      await reader.cancel().catch(() => {});
      await reading;
      writer.releaseLock();
      await port.close();
    },
  };
}
