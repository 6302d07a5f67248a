// The pager operations compiled from the program's C++ (km640-ops.js and its
// WebAssembly, web/port): loaded once, when the first operation runs, and
// called with code-plugs handed over as the 2048 bytes of a .tbl.

import type { SerialLine } from "../port/serialChannel.js";

// The operations' outcomes (pager/PagerOperations.h), and the page's one
// for a code-plug refused before anything is sent.
export const Outcome = {
  Success: 0, Busy: 1, BoardNotResponding: 2, VerifyFail: 8, PortError: 10, Interrupted: 11, NotACodePlug: 100,
} as const;

export interface OpsResult {
  outcome: number;
  text: string; // as the window's status bar shows it
  messages: string[]; // what the window would have shown in boxes
}

export interface OpsModule {
  ccall(name: string, returns: string | null, argTypes: string[], args: unknown[], options?: { async: boolean }): unknown;
  UTF8ToString(pointer: number): string;
  HEAPU8: Uint8Array;
  _malloc(size: number): number;
  _free(pointer: number): void;
  _km640_image(): number;
  _km640_memory_kept(): number;
  _km640_as_written_to(codePlug: number, pager: number, out: number): void;
  km640Line: SerialLine;
  km640Progress: (blocks: number, total: number, caption: string) => void;
  km640Status: (panel: number, text: string) => void;
  km640StopLevel: number;
}

const kImageSize = 2048;

declare const createKm640Operations: (options?: object) => Promise<OpsModule>;

let loading: Promise<OpsModule> | undefined;

export function loadOperations(line: SerialLine, progress: OpsModule["km640Progress"],
                               status: OpsModule["km640Status"]): Promise<OpsModule> {
  loading ??= new Promise<void>((resolve, reject) => {
    const script = Object.assign(document.createElement("script"), { src: "km640-ops.js" });
    script.onload = () => resolve();
    script.onerror = () => reject(new Error("km640-ops.js did not load"));
    document.head.append(script);
  }).then(() => createKm640Operations()).then((module) => {
    Object.assign(module, { km640Line: line, km640Progress: progress, km640Status: status, km640StopLevel: 0 });
    return module;
  });
  loading.catch(() => (loading = undefined));
  return loading;
}

// Calls into the module. A buffer lent to the module is freed when the call
// is over; bytes are copied out before the module's memory can grow again.
export class OpsCall {
  constructor(readonly module: OpsModule) {}

  // Lends the module a buffer of a code-plug's size for each of inputs (its
  // bytes copied in, the rest zero) and outputs more; give them back with free.
  private lend(inputs: Uint8Array[], outputs: number): number[] {
    const pointers: number[] = [];
    for (const bytes of inputs) {
      const p = this.module._malloc(kImageSize);
      this.module.HEAPU8.fill(0, p, p + kImageSize);
      this.module.HEAPU8.set(bytes.subarray(0, kImageSize), p);
      pointers.push(p);
    }
    for (let i = 0; i < outputs; ++i) pointers.push(this.module._malloc(kImageSize));
    return pointers;
  }

  private free(pointers: number[]): void {
    pointers.forEach((p) => this.module._free(p));
  }

  private async withBuffers<T>(inputs: Uint8Array[], outputs: number, use: (pointers: number[]) => Promise<T>): Promise<T> {
    const pointers = this.lend(inputs, outputs);
    try {
      return await use(pointers);
    } finally {
      this.free(pointers);
    }
  }

  private bytesAt(pointer: number): Uint8Array {
    return this.module.HEAPU8.slice(pointer, pointer + kImageSize);
  }

  // A text the module holds, from one of its exports that takes nothing.
  text(name: string): string {
    return this.module.ccall(name, "string", [], []) as string;
  }

  resultText(): string {
    return this.text("km640_result_text");
  }

  private result(outcome: number): OpsResult {
    return { outcome, text: this.resultText(), messages: this.text("km640_messages").split("\n").filter((l) => l) };
  }

  // An operation that takes the port's name and numbers.
  async call(name: string, port: string, ...numbers: number[]): Promise<OpsResult> {
    const outcome = (await this.module.ccall(name, "number", ["string", ...numbers.map(() => "number")], [port, ...numbers],
      { async: true })) as number;
    return this.result(outcome);
  }

  // The editor's image in the module: what Read brought or Write sent.
  image(): Uint8Array {
    return this.bytesAt(this.module._km640_image());
  }

  readMemory(port: string): Promise<{ result: OpsResult; memory?: Uint8Array }> {
    return this.withBuffers([], 1, async ([out]) => {
      const result = await this.call("km640_read_memory", port, out);
      return { result, memory: result.outcome === Outcome.Success ? this.bytesAt(out) : undefined };
    });
  }

  write(port: string, codePlug: Uint8Array, syncClock: boolean): Promise<OpsResult> {
    return this.withBuffers([codePlug], 0, ([plug]) => this.call("km640_write", port, plug, syncClock ? 1 : 0));
  }

  verify(port: string, codePlug: Uint8Array): Promise<{ result: OpsResult; memory?: Uint8Array }> {
    return this.withBuffers([codePlug], 1, async ([plug, out]) => {
      const result = await this.call("km640_verify_plug", port, plug, out);
      return { result, memory: this.module._km640_memory_kept() ? this.bytesAt(out) : undefined };
    });
  }

  syncTime(port: string, codePlug: Uint8Array): Promise<OpsResult> {
    return this.withBuffers([codePlug], 0, ([plug]) => this.call("km640_sync_time", port, plug));
  }

  // The index of the first board that answers, or -1.
  async search(ports: string[]): Promise<number> {
    return (await this.module.ccall("km640_search", "number", ["string"], [ports.join("\n")], { async: true })) as number;
  }

  // The name the window gives the backup of a pager holding memory, now.
  backupName(memory: Uint8Array): string {
    const pointers = this.lend([memory], 0);
    try {
      return this.module.ccall("km640_backup_name", "string", ["number"], pointers) as string;
    } finally {
      this.free(pointers);
    }
  }

  nextBackup(where: string): void {
    this.module.ccall("km640_next_backup", null, ["string"], [where]);
  }

  asWrittenTo(codePlug: Uint8Array, pager: Uint8Array): Uint8Array {
    const pointers = this.lend([codePlug, pager], 1);
    try {
      this.module._km640_as_written_to(pointers[0], pointers[1], pointers[2]);
      return this.bytesAt(pointers[2]);
    } finally {
      this.free(pointers);
    }
  }
}
