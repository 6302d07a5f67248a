// The editor compiled from the program's own C++ (km640-core.js and its
// WebAssembly), and the shapes of its JSON answers.

export interface Control {
  name: string;
  page: string;
  group: string;
  label: string;
  kind: "frequency" | "tone" | "list" | "check" | "set" | "text" | "number" | "shown";
  width: number;
}

export interface ControlState {
  index: number;
  value: string;
  disabled?: string;
  choices?: string[];
}

export interface OpenAnswer {
  opened: boolean;
  refusal?: string;
  fromText?: boolean;
  messages?: string[];
}

export interface CommitAnswer {
  refusal?: string;
  messages?: string[];
  changed?: ControlState[];
}

export interface DifferenceRow {
  name: string;
  label: string;
  place: string;
  a: string;
  b: string;
  stamped: boolean;
}

export interface Session {
  open(bytes: Uint8Array, name: string): string;
  state(page: string): string;
  commit(name: string, text: string): string;
  normalise(): string;
  saveImage(): Uint8Array;
  saveText(): Uint8Array;
  modified(): boolean;
  compare(a: Uint8Array, nameA: string, b: Uint8Array, nameB: string): string;
  checkRoster(csv: Uint8Array): string;
  // The pager operations' side: the code-plug as held (nothing stamped), a
  // Read's code-plug taken as the window takes it, and what a Write sent.
  imageBytes(): Uint8Array;
  takeRead(bytes: Uint8Array): string;
  takeWritten(bytes: Uint8Array): boolean; // true: a value the user sees moved
}

export interface Core {
  EditorSession: { new (): Session; controls(): string; programTitle(): string };
}

declare const createKm640Core: (options?: object) => Promise<Core>;

export function loadCore(): Promise<Core> {
  return createKm640Core();
}
